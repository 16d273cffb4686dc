#include "platform/dialog.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::DialogLines;

namespace {

// A settings dialog in the shape the dashboard uses.
DialogTemplate SettingsTemplate() {
    DialogTemplate t;
    t.resourceId = 150;
    t.caption = u"GPS Einstellungen";
    t.cx = 143;
    t.cy = 108;
    t.controls = {
        {IdOk, ControlKind::PushButton, u"OK", 86, 88, 50, 14, ControlStyle::Default},
        {IdCancel, ControlKind::PushButton, u"Abbrechen", 8, 88, 50, 14, 0},
        {-1, ControlKind::GroupBox, u"GPS-Ini", 4, 2, 135, 36, 0},
        {1004, ControlKind::Edit, u"", 10, 12, 123, 12, 0},
        {3, ControlKind::PushButton, u"Öffnen...", 10, 25, 50, 11, 0},
        {4, ControlKind::PushButton, u"Neu...", 83, 25, 50, 11, ControlStyle::Disabled},
        {-1, ControlKind::GroupBox, u"Protokolle", 4, 40, 135, 44, 0},
        {-1, ControlKind::Static, u"Geschwindigkeit:", 10, 50, 60, 9, 0},
        {1005, ControlKind::RadioButton, u"VTG", 72, 50, 30, 10, ControlStyle::Group},
        {1006, ControlKind::RadioButton, u"RMC", 104, 50, 30, 10, 0},
        {-1, ControlKind::Static, u"Position:", 10, 66, 60, 9, 0},
        {1008, ControlKind::RadioButton, u"GGA", 72, 66, 30, 10, ControlStyle::Group},
        {1009, ControlKind::RadioButton, u"RMC", 104, 66, 30, 10, ControlStyle::Disabled},
    };
    return t;
}

struct Recorder : DialogHandler {
    std::vector<std::string> commands;
    std::function<void(Dialog&)> init;
    bool OnInit(Dialog& d) override {
        if (init)
            init(d);
        return true;
    }
    void OnCommand(Dialog& d, int id, Notification n) override {
        commands.push_back(std::to_string(id) + ":" + std::to_string(static_cast<int>(n)));
        if (n == Notification::Clicked && (id == IdOk || id == IdCancel))
            d.End(id);
    }
};

} // namespace

TEST(Dialog, ModalDialogRunsTheScriptAndEndsWithItsResult) {
    platform::testing::TempDevice device;
    Recorder r;
    bool vtg = false, rmc = false, gga = false;
    std::u16string typed;
    r.init = [](Dialog& d) {
        d.Check(1005, true);
        d.Check(1008, true);
    };
    struct Spy : Recorder {
        bool* vtg;
        bool* rmc;
        bool* gga;
        std::u16string* typed;
        void OnCommand(Dialog& d, int id, Notification n) override {
            if (id == IdOk) {
                *vtg = d.IsChecked(1005);
                *rmc = d.IsChecked(1006);
                *gga = d.IsChecked(1008);
                *typed = d.GetText(1004);
            }
            Recorder::OnCommand(d, id, n);
        }
    } spy;
    spy.init = r.init;
    spy.vtg = &vtg, spy.rmc = &rmc, spy.gga = &gga, spy.typed = &typed;
    headless::LoadScript("type \"\\\\GPS\\\\gpsx\"\n"
                         "key 8\n"
                         "type \"y.ini\"\n"
                         "click 1006\n"
                         "click 4\n"
                         "click 1009\n"
                         "click 1\n");
    EXPECT_EQ(Dialog::RunModal(SettingsTemplate(), spy, nullptr), IdOk);
    EXPECT_TRUE(rmc);
    EXPECT_FALSE(vtg);                        // the same group
    EXPECT_TRUE(gga);                         // another group, untouched
    EXPECT_EQ(typed, u"\\\\GPS\\\\gpsy.ini"); // the Back key removes the last character
    // Disabled buttons neither notify nor check.
    for (auto& c : spy.commands) {
        EXPECT_NE(c.rfind("4:", 0), 0u) << c;
        EXPECT_NE(c.rfind("1009:", 0), 0u) << c;
    }
    auto lines = DialogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "dialog open title=\"GPS Einstellungen\" template=150");
    EXPECT_EQ(lines[1], "dialog close title=\"GPS Einstellungen\" template=150 result=1");
    EXPECT_TRUE(TopLevelWindows().empty());
}

TEST(Dialog, KeysAndTheCloseRequest) {
    platform::testing::TempDevice device;
    struct Case {
        const char* script;
        int result;
    } cases[] = {
        {"key 13\n", IdOk},     // Return takes the default button
        {"key 27\n", IdCancel}, // Escape takes Cancel
        {"quit\n", IdCancel},   // the close request (no main window: the dialog's own)
    };
    for (auto& c : cases) {
        Recorder r;
        headless::LoadScript(c.script);
        WindowOptions o;
        o.className = u"Main";
        o.rect = {0, 0, 480, 272};
        struct Main : WindowHandler {
            void OnClose(Window&) override {
                if (Dialog* d = Dialog::Topmost())
                    d->GetWindow().Close();
            }
        } main;
        Window* w = Window::Create(o, main);
        EXPECT_EQ(Dialog::RunModal(SettingsTemplate(), r, w), c.result) << c.script;
        w->Destroy();
        PumpMessages();
    }
}

TEST(Dialog, UnitsFollowTheFontAndControlsCanBeFound) {
    platform::testing::TempDevice device;
    Recorder r;
    Dialog* d = Dialog::CreateModeless(SettingsTemplate(), r, nullptr);
    ASSERT_TRUE(d);
    EXPECT_EQ(FindWindow(u"Dialog", u"GPS Einstellungen"), &d->GetWindow());
    EXPECT_GT(d->UnitsToPixelsX(4), 2);
    Rect ok = d->ControlRect(IdOk);
    EXPECT_EQ(ok.Width(), d->UnitsToPixelsX(86 + 50) - d->UnitsToPixelsX(86));
    Rect window = d->GetWindow().GetRect();
    EXPECT_EQ(window.Width(), d->UnitsToPixelsX(143) + 2);
    EXPECT_EQ(window.Height(), d->UnitsToPixelsY(108) + 2 + d->CaptionHeight());
    // Centred on the 480 x 272 screen.
    EXPECT_EQ(window.left, (480 - window.Width()) / 2);

    // A tap in the middle of a control is that control's.
    d->GetWindow().Tap((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
    PumpMessages();
    EXPECT_FALSE(FindWindow(u"Dialog"));
    EXPECT_EQ(r.commands, std::vector<std::string>{"1:0"});

    // The window can be moved by others.
    Dialog* again = Dialog::CreateModeless(SettingsTemplate(), r, nullptr);
    again->GetWindow().Move({-30, 200, -30 + window.Width(), 200 + window.Height()});
    EXPECT_EQ(again->GetWindow().GetRect().left, -30);
    std::string shot = (std::filesystem::temp_directory_path() / "dialog-settings.png").string();
    again->GetWindow().Move(window);
    again->SetText(1004, u"\\Programme\\Velvane\\gps.ini");
    EXPECT_TRUE(SnapshotScreenPng(shot));
    again->Destroy();
    PumpMessages();
}

TEST(Dialog, ListBoxesSortSelectAndScroll) {
    platform::testing::TempDevice device;
    DialogTemplate t;
    t.caption = u"Route";
    t.cx = 120;
    t.cy = 60;
    t.controls = {{4054, ControlKind::ListBox, u"", 2, 2, 116, 40,
                   ControlStyle::Notify | ControlStyle::Sort | ControlStyle::VScroll}};
    Recorder r;
    Dialog* d = Dialog::CreateModeless(t, r, nullptr);
    ASSERT_TRUE(d);
    for (auto s : {u"Mitte", u"berlin", u"Aachen", u"Zell", u"dorf", u"Kiel", u"Ulm", u"Essen"})
        d->AddString(4054, s);
    std::vector<std::u16string> order;
    for (int i = 0; i < d->GetCount(4054); ++i)
        order.push_back(d->GetItemText(4054, i));
    std::vector<std::u16string> expected = {u"Aachen", u"berlin", u"dorf", u"Essen",
                                            u"Kiel",   u"Mitte",  u"Ulm",  u"Zell"};
    EXPECT_EQ(order, expected);
    d->SetItemData(4054, 2, 42);
    EXPECT_EQ(d->GetItemData(4054, 2), 42);
    d->SetCurSel(4054, 7); // scrolls it into view
    EXPECT_GT(d->TopIndex(4054), 0);
    d->SetCurSel(4054, 0);
    EXPECT_EQ(d->TopIndex(4054), 0);
    Rect list = d->ControlRect(4054);
    d->GetWindow().Tap(list.left + 10, list.top + 3);
    EXPECT_EQ(d->GetCurSel(4054), 0);
    EXPECT_EQ(r.commands.back(), "4054:3");
    EXPECT_TRUE(d->DeleteString(4054, 0));
    EXPECT_EQ(d->GetCurSel(4054), -1);
    EXPECT_FALSE(d->DeleteString(4054, 99));
    d->Destroy();
    PumpMessages();
}

TEST(Dialog, OwnerDrawnButtonsAreDrawnByTheHandler) {
    platform::testing::TempDevice device;
    DialogTemplate t;
    t.caption = u"Move Window";
    t.style = DialogStyle::ToolWindow;
    t.cx = 28;
    t.cy = 14;
    t.controls = {{1000, ControlKind::PushButton, u"1", 0, 0, 14, 14, ControlStyle::OwnerDraw},
                  {1001, ControlKind::PushButton, u"2", 14, 0, 14, 14,
                   ControlStyle::OwnerDraw | ControlStyle::Disabled}};
    struct Drawer : Recorder {
        std::vector<std::string> drawn;
        void OnDrawItem(Dialog&, int id, Canvas& canvas, const Rect& r, DrawItemState s) override {
            drawn.push_back(std::to_string(id) + (s.disabled ? " disabled" : ""));
            canvas.FillRect(r, Rgb(0, 255, 0));
        }
    } drawer;
    Dialog* d = Dialog::CreateModeless(t, drawer, nullptr);
    PumpMessages();
    std::vector<std::string> expected = {"1000", "1001 disabled"};
    EXPECT_EQ(drawer.drawn, expected);
    Rect b = d->ControlRect(1000);
    EXPECT_EQ(d->GetWindow().Surface().GetPixel(b.left + 1, b.top + 1), Rgb(0, 255, 0));
    d->Destroy();
    PumpMessages();
}

TEST(FileDialog, HeadlessDialogsTakeTheirQueuedAnswer) {
    platform::testing::TempDevice device;
    FileDialogOptions o;
    o.title = u"GPSIni öffnen";
    headless::QueueFileDialogAnswer(u"Konfiguration öffnen", u"\\x.ini");
    headless::QueueFileDialogAnswer(u"GPSIni öffnen", u"\\GPS\\gps.ini");
    EXPECT_EQ(GetOpenFileName(o), std::optional<std::u16string>(u"\\GPS\\gps.ini"));
    EXPECT_EQ(GetOpenFileName(o), std::nullopt); // nothing queued for it: cancelled
    headless::QueueFileDialogAnswer(u"*", std::nullopt);
    o.title = u"Konfiguration öffnen";
    // The first queued answer that names the dialog wins, in queue order.
    EXPECT_EQ(GetOpenFileName(o), std::optional<std::u16string>(u"\\x.ini"));
    EXPECT_EQ(GetOpenFileName(o), std::nullopt);
    auto lines = DialogLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "filedialog open title=\"GPSIni öffnen\" answer=\"\\\\GPS\\\\gps.ini\"");
    EXPECT_EQ(lines[1], "filedialog open title=\"GPSIni öffnen\" answer=cancel");
}

TEST(FileDialog, BrowsesFoldersAndChecksTheName) {
    platform::testing::TempDevice device;
    device.Put(u"\\Programme\\Velvane\\Velvane.ini", "x");
    device.Put(u"\\Programme\\Velvane\\Skins\\day.ini", "x");
    device.Put(u"\\Programme\\Velvane\\readme.txt", "x");
    FileDialogOptions o;
    o.title = u"Konfiguration öffnen";
    o.initialDirectory = u"\\Programme\\Velvane\\";
    o.fileMustExist = true;
    std::optional<std::optional<std::u16string>> got;
    Dialog* d = OpenFileDialogModeless(o, [&](auto path) { got = path; });
    ASSERT_TRUE(d);
    std::vector<std::u16string> items;
    for (int i = 0; i < d->GetCount(101); ++i)
        items.push_back(d->GetItemText(101, i));
    EXPECT_EQ(items, (std::vector<std::u16string>{u"[..]", u"[Skins]", u"Velvane.ini"}));
    std::string shot = (std::filesystem::temp_directory_path() / "dialog-file.png").string();
    EXPECT_TRUE(SnapshotScreenPng(shot));

    // Into the folder, then a name without extension that does not exist.
    d->SetCurSel(101, 1);
    d->GetWindow().Tap(d->ControlRect(101).left + 5,
                       d->ControlRect(101).top + 3 + d->UnitsToPixelsY(8));
    EXPECT_EQ(d->GetText(100), u"\\Programme\\Velvane\\Skins\\");
    d->SetText(102, u"night");
    EXPECT_TRUE(d->Click(IdOk));
    EXPECT_FALSE(got);
    auto boxes = TranscriptLines();
    EXPECT_NE(boxes.back().find("Die Datei wurde nicht gefunden."), std::string::npos)
        << boxes.back();
    d->SetText(102, u"day");
    EXPECT_TRUE(d->Click(IdOk));
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, std::optional<std::u16string>(u"\\Programme\\Velvane\\Skins\\day.ini"));
    PumpMessages();
}
