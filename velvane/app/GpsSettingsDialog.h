#pragma once
// The GPS settings dialog: which GPS settings file to use and which sentences
// supply speed and position.
#include "app/MainSettings.h"
#include "platform/dialog.h"

#include <functional>

namespace velvane {

// Told the speed sentence (MainSettings::SpeedFrom...) when the dialog ends with OK.
using SetSpeedProtocolFn = std::function<void(int speedProtocol)>;

enum class GpsDialogResult {
    Ok,
    Cancelled,
    // The dialog could not be shown or the program is quitting: asking again
    // would only loop.
    Abandoned,
};

class GpsSettingsDialog : public platform::DialogHandler {
public:
    enum : int {
        IdPath = 1004,
        IdOpen = 3,
        IdNew = 4,
        IdSpeedVtg = 1005,
        IdSpeedRmc = 1006,
        IdSpeedAuto = 1007,
        IdPositionGga = 1008,
        IdPositionRmc = 1009,
    };
    static constexpr int ResourceId = 150;
    static constexpr size_t MaxPathLength = 259; // a 260-character buffer with its terminator

    GpsSettingsDialog(MainSettings& settings, SetSpeedProtocolFn setSpeedProtocol);

    static platform::DialogTemplate Template();
    // Modal; on OK the path is stored in the settings and the speed sentence
    // is passed on.
    GpsDialogResult Run(platform::Window* owner);

    bool OnInit(platform::Dialog& dialog) override;
    void OnCommand(platform::Dialog& dialog, int id, platform::Notification notification) override;
    void OnClose(platform::Dialog& dialog) override;

private:
    void Accept(platform::Dialog& dialog);

    MainSettings& m_settings;
    SetSpeedProtocolFn m_setSpeedProtocol;
    bool m_initialised = false;
    bool m_endedByUser = false;
};

GpsDialogResult ShowGpsSettingsDialog(platform::Window* owner, MainSettings& settings,
                                      const SetSpeedProtocolFn& setSpeedProtocol);

// Creates the receiver if needed and loads the GPS settings file named in the
// main settings; true when the port could be opened.
using LoadGpsSettingsFn = std::function<bool()>;

enum class GpsSettingsOutcome { Unchanged, Loaded, Quit };

// "GPS" -> "Einstellungen...": the dialog, then loading the chosen file. A file
// that cannot be loaded brings the dialog back; giving up there asks whether
// to quit, and Yes posts the close request to the main window.
GpsSettingsOutcome ChangeGpsSettings(platform::Window* mainWindow, MainSettings& settings,
                                     const SetSpeedProtocolFn& setSpeedProtocol,
                                     const LoadGpsSettingsFn& loadGpsSettings);

} // namespace velvane
