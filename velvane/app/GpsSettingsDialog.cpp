#include "app/GpsSettingsDialog.h"
#include "app/FileDialogs.h"
#include "platform/messagebox.h"

namespace velvane {

namespace {

using platform::ControlKind;
namespace ControlStyle = platform::ControlStyle;

// Posted: closing tears down the application, and with it the menu command
// that called us.
void RequestClose(platform::Window* window) {
    if (!window)
        return;
    platform::PostTask([window] {
        for (platform::Window* alive : platform::TopLevelWindows())
            if (alive == window) {
                window->Close();
                return;
            }
    });
}

} // namespace

GpsSettingsDialog::GpsSettingsDialog(MainSettings& settings, SetSpeedProtocolFn setSpeedProtocol)
    : m_settings(settings), m_setSpeedProtocol(std::move(setSpeedProtocol)) {}

platform::DialogTemplate GpsSettingsDialog::Template() {
    platform::DialogTemplate t;
    t.resourceId = ResourceId;
    t.caption = u"GPS Einstellungen";
    t.fontFace = u"System";
    t.fontPoints = 8;
    t.cx = 143;
    t.cy = 108;
    // Frames first so that the controls inside paint over them.
    t.controls = {
        {-1, ControlKind::GroupBox, u"GPS-Ini", 4, 2, 135, 38, 0},
        {-1, ControlKind::GroupBox, u"Protokolle", 4, 42, 135, 42, 0},
        {platform::IdOk, ControlKind::PushButton, u"OK", 89, 89, 50, 15, ControlStyle::Default},
        {platform::IdCancel, ControlKind::PushButton, u"Abbrechen", 4, 89, 50, 15, 0},
        {IdPath, ControlKind::Edit, u"", 10, 12, 123, 12, ControlStyle::Border},
        {IdOpen, ControlKind::PushButton, u"Öffnen...", 10, 26, 50, 11, 0},
        {IdNew, ControlKind::PushButton, u"Neu...", 83, 26, 50, 11, ControlStyle::Disabled},
        {-1, ControlKind::Static, u"Geschwindigkeit:", 10, 53, 56, 9, 0},
        {IdSpeedVtg, ControlKind::RadioButton, u"VTG", 66, 52, 22, 10, ControlStyle::Group},
        {IdSpeedRmc, ControlKind::RadioButton, u"RMC", 89, 52, 23, 10, 0},
        {IdSpeedAuto, ControlKind::RadioButton, u"Auto", 113, 52, 24, 10, 0},
        {-1, ControlKind::Static, u"Position:", 10, 68, 60, 9, 0},
        {IdPositionGga, ControlKind::RadioButton, u"GGA", 72, 67, 30, 10, ControlStyle::Group},
        {IdPositionRmc, ControlKind::RadioButton, u"RMC", 104, 67, 30, 10, ControlStyle::Disabled},
    };
    return t;
}

GpsDialogResult GpsSettingsDialog::Run(platform::Window* owner) {
    m_initialised = false;
    m_endedByUser = false;
    const int result = platform::Dialog::RunModal(Template(), *this, owner);
    if (!m_initialised || !m_endedByUser)
        return GpsDialogResult::Abandoned;
    return result == platform::IdOk ? GpsDialogResult::Ok : GpsDialogResult::Cancelled;
}

bool GpsSettingsDialog::OnInit(platform::Dialog& dialog) {
    m_initialised = true;
    const int speed = m_settings.SpeedProtocol();
    dialog.Check(speed == MainSettings::SpeedFromRmc    ? IdSpeedRmc
                 : speed == MainSettings::SpeedFromAuto ? IdSpeedAuto
                                                        : IdSpeedVtg,
                 true);
    dialog.Check(m_settings.PositionProtocol() == MainSettings::PositionFromGga ? IdPositionGga
                                                                                : IdPositionRmc,
                 true);
    dialog.SetText(IdPath, m_settings.GpsIni());
    return true;
}

void GpsSettingsDialog::OnCommand(platform::Dialog& dialog, int id,
                                  platform::Notification notification) {
    if (notification != platform::Notification::Clicked)
        return;
    switch (id) {
    case platform::IdOk:
        Accept(dialog);
        break;
    case platform::IdCancel:
        m_endedByUser = true;
        dialog.End(platform::IdCancel);
        break;
    case IdOpen:
        if (auto path = OpenIniFile(&dialog.GetWindow(), u"GPSIni öffnen"))
            dialog.SetText(IdPath, *path);
        break;
    case IdNew:
        platform::MessageBox(&dialog.GetWindow(), u"TachoModel::DlgInitProc", u"TODO",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::None);
        break;
    default:
        break;
    }
}

void GpsSettingsDialog::OnClose(platform::Dialog& dialog) {
    m_endedByUser = true;
    dialog.End(platform::IdCancel);
}

void GpsSettingsDialog::Accept(platform::Dialog& dialog) {
    const std::u16string path = dialog.GetText(IdPath);
    if (path.empty()) {
        platform::MessageBox(&dialog.GetWindow(), u"Bitte wählen Sie noch eine GPSIni aus.",
                             u"GPSIni", platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::None);
        return;
    }
    // A cut path would name another file; better to say so.
    if (path.size() > MaxPathLength) {
        platform::MessageBox(&dialog.GetWindow(), u"Der Pfad ist zu lang (höchstens 259 Zeichen).",
                             u"GPSIni", platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Exclamation);
        return;
    }
    m_settings.SetGpsIni(path);
    const int speed = dialog.IsChecked(IdSpeedRmc)    ? MainSettings::SpeedFromRmc
                      : dialog.IsChecked(IdSpeedAuto) ? MainSettings::SpeedFromAuto
                                                      : MainSettings::SpeedFromVtg;
    m_settings.SetSpeedProtocol(speed);
    if (m_setSpeedProtocol)
        m_setSpeedProtocol(speed);
    m_endedByUser = true;
    dialog.End(platform::IdOk);
}

GpsDialogResult ShowGpsSettingsDialog(platform::Window* owner, MainSettings& settings,
                                      const SetSpeedProtocolFn& setSpeedProtocol) {
    GpsSettingsDialog dialog(settings, setSpeedProtocol);
    return dialog.Run(owner);
}

GpsSettingsOutcome ChangeGpsSettings(platform::Window* mainWindow, MainSettings& settings,
                                     const SetSpeedProtocolFn& setSpeedProtocol,
                                     const LoadGpsSettingsFn& loadGpsSettings) {
    if (ShowGpsSettingsDialog(mainWindow, settings, setSpeedProtocol) != GpsDialogResult::Ok)
        return GpsSettingsOutcome::Unchanged;
    for (;;) {
        if (loadGpsSettings && loadGpsSettings())
            return GpsSettingsOutcome::Loaded;
        for (;;) {
            const GpsDialogResult again =
                ShowGpsSettingsDialog(mainWindow, settings, setSpeedProtocol);
            if (again == GpsDialogResult::Ok)
                break;
            if (again == GpsDialogResult::Abandoned)
                return GpsSettingsOutcome::Quit;
            const int answer = platform::MessageBox(mainWindow,
                                                    u"Ohne gültige GPSIni funktioniert das "
                                                    u"Programm nicht. Wollen Sie es jetzt beenden?",
                                                    u"Beenden?", platform::MessageBoxButtons::YesNo,
                                                    platform::MessageBoxIcon::Information);
            if (answer == platform::IdYes) {
                RequestClose(mainWindow);
                return GpsSettingsOutcome::Quit;
            }
        }
    }
}

} // namespace velvane
