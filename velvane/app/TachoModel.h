#pragma once
// The central model of the dashboard. It owns the main settings, the GPS
// receiver, the shared value sources (which exist only while some component
// listens to them) and the holders of the configuration's views, logs and
// overlays.
#include "app/GpsSettingsDialog.h"
#include "app/MainSettings.h"
#include "display/MultiComponentHolder.h"
#include "display/SingleViewManager.h"
#include "gps/AltitudeSource.h"
#include "gps/GpsReceiver.h"
#include "gps/SpeedSource.h"
#include "gps/ValueSources.h"
#include "ini/IniParser.h"
#include "instruments/PositionSource.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Window;
}

namespace velvane {

class Screen;

// A holder with the section name the factory registered for its class.
template <class Holder> struct Section {
    std::unique_ptr<Holder> holder;
    std::u16string_view name;
};

class TachoModel : public IniParser, public ValueSources {
public:
    // Section ids of the configuration file.
    static constexpr int ViewSection = 1;
    static constexpr int LogSection = 2;
    static constexpr int OverlaySection = 3;

    // The screen must outlive the model: the components of its holders are
    // made for it. Without a screen no configuration section is recognised.
    explicit TachoModel(platform::Window* window, Screen* screen = nullptr);
    ~TachoModel() override;
    TachoModel(const TachoModel&) = delete;
    TachoModel& operator=(const TachoModel&) = delete;

    // Main settings, the receiver with a usable GPS settings file, then the
    // configuration. False when the user chose to quit instead of naming a
    // GPS settings file. The dialog is replaceable for tests.
    using GpsDialogFn = std::function<GpsDialogResult(MainSettings& settings)>;
    bool StartUp();
    bool StartUp(const GpsDialogFn& showGpsDialog);

    // Releases every holder and the value sources, remembers path as the
    // configuration path (even when it cannot be read), reads it, and adds a
    // "Speedo" view when the file named none. An empty path reads nothing.
    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    // Writes the main settings and the configuration, asking for a file name
    // first when there is no configuration path, and offering to retry while
    // anything fails. False when it was not completely saved. A configuration
    // is never written over the main settings file. SaveConfigurationAs keeps
    // the previous path when the save is given up.
    bool SaveConfiguration();
    bool SaveConfigurationAs(std::u16string_view path);
    // The save on exit. It leaves alone any file this run could not read (the
    // main settings, the configuration, or a file the configuration lists),
    // since writing back what was understood of it would lose the rest. An
    // explicit save writes them all again.
    bool SaveAtExit();
    // A file listed in the configuration could not be loaded and may have
    // left its list.
    void NoteUnreadFile(std::u16string_view path);

    const std::vector<Section<SingleViewManager>>& Views() const { return m_views; }
    const std::vector<Section<MultiComponentHolder>>& Logs() const { return m_logs; }
    const std::vector<Section<MultiComponentHolder>>& Overlays() const { return m_overlays; }
    // The view shown, or to be shown once the menu is built; saved with
    // "Initial = y".
    SingleViewManager* InitialView() const { return m_initialView; }
    void SetInitialView(SingleViewManager* view) { m_initialView = view; }

    MainSettings& Settings() { return m_settings; }
    Screen* GetScreen() const { return m_screen; }
    platform::Window* Window() const { return m_window; }

    // The receiver for the main window; the value sources need it.
    void CreateReceiver();
    GpsReceiver* Receiver() { return m_receiver.get(); }

    // Each of these does nothing while there is no receiver. A source is
    // made and registered at the receiver for its first listener, and
    // unregistered and deleted when its last one leaves.
    void AddSpeedListener(SpeedListener* listener) override;
    void RemoveSpeedListener(SpeedListener* listener) override;
    void AddAltitudeListener(AltitudeListener* listener) override;
    void RemoveAltitudeListener(AltitudeListener* listener) override;
    void AddPositionListener(PositionListener* listener) override;
    void RemovePositionListener(PositionListener* listener) override;
    // For components that read whole sentences.
    void AddSentenceListener(SentenceListener* listener) override;
    void RemoveSentenceListener(SentenceListener* listener) override;
    void AddFirstSentenceListener(SentenceListener* listener) override;

    // 1 reads speeds from RMC, MainSettings::SpeedFromAuto from either,
    // anything else from VTG. A speed source of the
    // other kind takes over all listeners of the current one. The choice is
    // kept in the main settings in any case.
    void SetSpeedProtocol(int speedProtocol);
    int SpeedProtocol() const { return m_speedProtocol; }

    // Watches for a receiver fallen silent, as the main settings ask:
    // listeners hear OnStale once, and their next value ends it.
    static constexpr int StaleTimerId = 0x5354; // "ST"
    void WatchStaleData();
    bool IsStale() const { return m_stale; }

    const SpeedSource* GetSpeedSource() const { return m_speedSource.get(); }
    const AltitudeSource* GetAltitudeSource() const { return m_altitudeSource.get(); }
    const PositionSource* GetPositionSource() const { return m_positionSource.get(); }

private:
    template <class Source> void Retire(std::unique_ptr<Source>& source);
    void CheckStale();
    void ReleaseHolders();
    // Remembers a path the configuration lists.
    const std::u16string& Listed(std::u16string path);
    // "NightIni" of a view section.
    bool AddNightIni(SingleViewManager& view, std::u16string_view value);
    // The whole file through an atomic replacement; false on any failure.
    bool WriteConfiguration(const std::u16string& path) const;

    enum class Writes { MainSettingsOnly, All };
    // The save with its retry loop; mainSettingsWritten tells whether any
    // attempt replaced the main settings file.
    bool Save(Writes writes, bool& mainSettingsWritten);

    platform::Window* m_window;
    Screen* m_screen;
    MainSettings m_settings;
    // Files the save on exit must not overwrite.
    bool m_keepMainSettings = false;
    bool m_keepConfiguration = false;
    // The files the configuration listed when it was read.
    std::vector<std::u16string> m_listedFiles;
    // Directory of the configuration being read, with its separator.
    std::u16string m_configurationFolder;
    std::vector<Section<SingleViewManager>> m_views;
    std::vector<Section<MultiComponentHolder>> m_logs;
    std::vector<Section<MultiComponentHolder>> m_overlays;
    SingleViewManager* m_initialView = nullptr;
    int m_speedProtocol = 0;
    std::unique_ptr<GpsReceiver> m_receiver;
    std::unique_ptr<SpeedSource> m_speedSource;
    std::unique_ptr<AltitudeSource> m_altitudeSource;
    std::unique_ptr<PositionSource> m_positionSource;
    bool m_stale = false;
};

} // namespace velvane
