#include "app/GpsSettingsDialog.h"
#include "app/FileDialogs.h"
#include "platform/headless.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using namespace velvane;
using platform::testing::TempDevice;

namespace {

// The transcript without the window mover's own open and close lines.
std::vector<std::string> Lines() {
    std::vector<std::string> out;
    for (auto& line : platform::TranscriptLines())
        if (line.find("title=\"Move Window\"") == std::string::npos)
            out.push_back(line);
    return out;
}

struct Protocols {
    std::vector<int> calls;
    SetSpeedProtocolFn Fn() {
        return [this](int p) { calls.push_back(p); };
    }
};

// The main window, which only notes the close request.
struct MainWindow : platform::WindowHandler {
    int closeRequests = 0;
    platform::Window* window = nullptr;
    MainWindow() {
        platform::WindowOptions o;
        o.className = u"Velvane";
        o.title = u"Velvane";
        o.rect = platform::WorkArea();
        window = platform::Window::Create(o, *this);
    }
    void OnClose(platform::Window&) override { ++closeRequests; }
};

const std::string Open = "dialog open title=\"GPS Einstellungen\" template=150";
const std::string ClosedOk = "dialog close title=\"GPS Einstellungen\" template=150 result=1";
const std::string ClosedCancel = "dialog close title=\"GPS Einstellungen\" template=150 result=2";
const std::string QuitQuestion =
    "messagebox caption=\"Beenden?\" text=\"Ohne gültige GPSIni funktioniert das "
    "Programm nicht. Wollen Sie es jetzt beenden?\" buttons=YesNo icon=Information";

} // namespace

TEST(GpsSettingsDialog, ShowsTheSettingsAndStoresThemOnOk) {
    TempDevice device;
    struct Case {
        int speedBefore;
        const char* clicks;
        int speedAfter;
    } cases[] = {
        {0, "", 0}, // VTG is checked on opening
        {1, "", 1}, // RMC is checked on opening
        {0, "click 1006\n", 1},
        {1, "click 1005\n", 0},
        {0, "click 1009\n", 0}, // the position RMC stays disabled
        {3, "", 3},               // Auto is checked on opening
        {0, "click 1007\n", 3},
        {3, "click 1006\n", 1},
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        MainSettings settings;
        settings.SetGpsIni(u"\\GPS\\alt.ini");
        settings.SetSpeedProtocol(c.speedBefore);
        Protocols protocols;
        platform::headless::LoadScript(std::string(c.clicks) + "click 1\n");
        EXPECT_EQ(ShowGpsSettingsDialog(nullptr, settings, protocols.Fn()), GpsDialogResult::Ok)
            << c.clicks;
        EXPECT_EQ(protocols.calls, std::vector<int>{c.speedAfter}) << c.clicks;
        EXPECT_EQ(settings.SpeedProtocol(), c.speedAfter) << c.clicks;
        EXPECT_EQ(settings.GpsIni(), u"\\GPS\\alt.ini")
            << "the path was put into the field: " << c.clicks;
        EXPECT_EQ(Lines().back(), ClosedOk) << c.clicks;
    }
}

TEST(GpsSettingsDialog, AnEmptyPathIsRefused) {
    TempDevice device;
    MainSettings settings;
    Protocols protocols;
    platform::headless::LoadScript("click 1\n"
                                   "type \\GPS\\gps.ini\n"
                                   "click 1\n");
    EXPECT_EQ(ShowGpsSettingsDialog(nullptr, settings, protocols.Fn()), GpsDialogResult::Ok);
    EXPECT_EQ(settings.GpsIni(), u"\\GPS\\gps.ini");
    std::vector<std::string> expected = {
        Open,
        "click id=1",
        "messagebox caption=\"GPSIni\" text=\"Bitte wählen Sie noch eine GPSIni aus.\" buttons=Ok "
        "icon=None "
        "answer=Ok",
        "type text=\"\\\\GPS\\\\gps.ini\"",
        "click id=1",
        ClosedOk,
    };
    EXPECT_EQ(Lines(), expected);
}

TEST(GpsSettingsDialog, APathTooLongForTheDeviceIsRefusedNotCut) {
    TempDevice device;
    MainSettings settings;
    Protocols protocols;
    const std::string longPath = "\\GPS\\" + std::string(260, 'x') + ".ini";
    platform::headless::LoadScript("type " + longPath + "\nclick 2\n");
    EXPECT_EQ(ShowGpsSettingsDialog(nullptr, settings, protocols.Fn()), GpsDialogResult::Cancelled);
    EXPECT_TRUE(settings.GpsIni().empty());
    EXPECT_TRUE(protocols.calls.empty());
    platform::headless::LoadScript("type " + longPath + "\nclick 1\nclick 2\n");
    EXPECT_EQ(ShowGpsSettingsDialog(nullptr, settings, protocols.Fn()), GpsDialogResult::Cancelled);
    bool told = false;
    for (auto& line : Lines())
        told |= line.find("Der Pfad ist zu lang") != std::string::npos;
    EXPECT_TRUE(told);
    EXPECT_TRUE(settings.GpsIni().empty());
}

TEST(GpsSettingsDialog, OpenPutsTheChosenFileIntoTheField) {
    TempDevice device;
    SharedOpenFileState() = OpenFileState();
    MainSettings settings;
    settings.SetGpsIni(u"\\GPS\\old.ini");
    Protocols protocols;
    platform::headless::LoadScript("file \"GPSIni öffnen\" cancel\n"
                                   "click 3\n"
                                   "file \"GPSIni öffnen\" \\GPS\\neu.ini\n"
                                   "click 3\n"
                                   "click 1\n");
    EXPECT_EQ(ShowGpsSettingsDialog(nullptr, settings, protocols.Fn()), GpsDialogResult::Ok);
    EXPECT_EQ(settings.GpsIni(), u"\\GPS\\neu.ini");
    std::vector<std::string> expected = {
        Open,
        "click id=3",
        "filedialog open title=\"GPSIni öffnen\" answer=cancel",
        "click id=3",
        "filedialog open title=\"GPSIni öffnen\" answer=\"\\\\GPS\\\\neu.ini\"",
        "click id=1",
        ClosedOk,
    };
    EXPECT_EQ(Lines(), expected);
    // The window mover came and went with each file dialog.
    int movers = 0;
    for (auto& line : platform::TranscriptLines())
        movers += line == "dialog open title=\"Move Window\" template=129";
    EXPECT_EQ(movers, 2);
    EXPECT_EQ(SharedOpenFileState().Directory(), u"\\GPS\\");
    SharedOpenFileState() = OpenFileState();
}

TEST(GpsSettingsDialog, CancelEscapeAndTheCloseRequestChangeNothing) {
    TempDevice device;
    for (const char* script : {"type x.ini\nclick 1006\nclick 2\n", "key 27\n", "close\n"}) {
        MainSettings settings;
        Protocols protocols;
        MainWindow main;
        std::string text = script;
        if (text == "close\n") {
            // The dialog's own close request, as the caption's close button gives it.
            text = "";
            platform::PostTask([] {
                if (auto* d = platform::Dialog::Topmost())
                    d->GetWindow().Close();
            });
        }
        platform::headless::LoadScript(text);
        EXPECT_EQ(ShowGpsSettingsDialog(main.window, settings, protocols.Fn()),
                  GpsDialogResult::Cancelled)
            << script;
        EXPECT_TRUE(settings.GpsIni().empty()) << script;
        EXPECT_EQ(settings.SpeedProtocol(), 0) << script;
        EXPECT_TRUE(protocols.calls.empty()) << script;
        main.window->Destroy();
        platform::PumpMessages();
    }
}

TEST(GpsSettingsDialog, NewIsDisabledAndOnlyATodoWhenReached) {
    TempDevice device;
    MainSettings settings;
    GpsSettingsDialog handler(settings, {});
    platform::Dialog* d =
        platform::Dialog::CreateModeless(GpsSettingsDialog::Template(), handler, nullptr);
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->IsEnabled(GpsSettingsDialog::IdNew));
    EXPECT_FALSE(d->Click(GpsSettingsDialog::IdNew));
    d->Enable(GpsSettingsDialog::IdNew, true);
    EXPECT_TRUE(d->Click(GpsSettingsDialog::IdNew));
    EXPECT_EQ(platform::TranscriptLines().back(),
              "messagebox caption=\"TODO\" text=\"TachoModel::DlgInitProc\" buttons=Ok icon=None "
              "answer=Ok");
    EXPECT_FALSE(d->IsEnded());
    d->Destroy();
    platform::PumpMessages();
}

TEST(GpsSettingsDialog, SnapshotBesideTheMover) {
    TempDevice device;
    MainSettings settings;
    settings.SetGpsIni(u"\\Programme\\Velvane\\GPS\\gps_bt.ini");
    GpsSettingsDialog handler(settings, {});
    platform::Dialog* d =
        platform::Dialog::CreateModeless(GpsSettingsDialog::Template(), handler, nullptr);
    ASSERT_TRUE(d);
    platform::PumpMessages();
    const auto shot = std::filesystem::temp_directory_path() / "velvane-gps-settings.png";
    EXPECT_TRUE(platform::SnapshotScreenPng(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 0u);
    d->Destroy();
    platform::PumpMessages();
}

TEST(ChangeGpsSettings, CancelChangesNothing) {
    TempDevice device;
    MainSettings settings;
    Protocols protocols;
    int loads = 0;
    platform::headless::LoadScript("click 2\n");
    EXPECT_EQ(ChangeGpsSettings(nullptr, settings, protocols.Fn(), [&] { return ++loads, true; }),
              GpsSettingsOutcome::Unchanged);
    EXPECT_EQ(loads, 0);
}

TEST(ChangeGpsSettings, AFileThatDoesNotLoadBringsTheDialogBack) {
    TempDevice device;
    MainSettings settings;
    Protocols protocols;
    std::vector<std::u16string> tried;
    platform::headless::LoadScript(
        "type \\GPS\\kaputt.ini\nclick 1\n"
        "key 8\nkey 8\nkey 8\nkey 8\nkey 8\nkey 8\nkey 8\nkey 8\nkey 8\nkey 8\n"
        "type gut.ini\nclick 1\n");
    auto load = [&] {
        tried.push_back(settings.GpsIni());
        return settings.GpsIni() == u"\\GPS\\gut.ini";
    };
    EXPECT_EQ(ChangeGpsSettings(nullptr, settings, protocols.Fn(), load),
              GpsSettingsOutcome::Loaded);
    EXPECT_EQ(tried, (std::vector<std::u16string>{u"\\GPS\\kaputt.ini", u"\\GPS\\gut.ini"}));
}

TEST(ChangeGpsSettings, GivingUpAsksWhetherToQuit) {
    TempDevice device;
    MainSettings settings;
    Protocols protocols;
    MainWindow main;
    int loads = 0;
    platform::headless::LoadScript("type \\GPS\\kaputt.ini\nclick 1\n"
                                   "answer Beenden? no\n"
                                   "click 2\n"
                                   "answer Beenden? yes\n"
                                   "click 2\n");
    EXPECT_EQ(
        ChangeGpsSettings(main.window, settings, protocols.Fn(), [&] { return ++loads, false; }),
        GpsSettingsOutcome::Quit);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(main.closeRequests, 0) << "posted, not sent from inside the menu command";
    platform::PumpMessages();
    EXPECT_EQ(main.closeRequests, 1);
    std::vector<std::string> dialogs;
    for (auto& line : Lines())
        if (line.rfind("dialog ", 0) == 0 || line.rfind("messagebox ", 0) == 0)
            dialogs.push_back(line);
    std::vector<std::string> expected = {
        Open, ClosedOk, // the first choice does not load
        Open, ClosedCancel, QuitQuestion + " answer=No",
        Open, ClosedCancel, QuitQuestion + " answer=Yes",
    };
    EXPECT_EQ(dialogs, expected);
    main.window->Destroy();
    platform::PumpMessages();
}

TEST(ChangeGpsSettings, EndsWhenTheProgramQuitsInsteadOfAskingForever) {
    TempDevice device;
    MainSettings settings;
    Protocols protocols;
    int loads = 0;
    // After the first choice the script ends, which quits the program.
    platform::headless::LoadScript("type \\GPS\\kaputt.ini\nclick 1\n");
    EXPECT_EQ(ChangeGpsSettings(nullptr, settings, protocols.Fn(), [&] { return ++loads, false; }),
              GpsSettingsOutcome::Quit);
    EXPECT_EQ(loads, 1);
}
