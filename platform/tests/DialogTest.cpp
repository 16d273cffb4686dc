#include "platform/dialog.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

namespace {

// One of each kind, as the probes below expect them.
DialogTemplate KindsTemplate() {
    DialogTemplate t;
    t.caption = u"Arten";
    t.cx = 200;
    t.cy = 120;
    t.controls = {
        {10, ControlKind::Edit, u"abc", 4, 4, 80, 12, 0},
        {11, ControlKind::Edit, u"", 90, 4, 80, 12, ControlStyle::Disabled},
        {12, ControlKind::ListBox, u"", 4, 20, 80, 40,
         ControlStyle::Notify | ControlStyle::VScroll},
        {13, ControlKind::Edit, u"", 90, 20, 80, 12, ControlStyle::Hidden},
        {14, ControlKind::CheckBox, u"Haken", 96, 48, 40, 10, 0},
        {15, ControlKind::CheckBox, u"Knopf", 140, 48, 40, 12, ControlStyle::PushLike},
        {-1, ControlKind::GroupBox, u"Rahmen", 90, 36, 100, 40, 0},
        {16, ControlKind::PushButton, u"", 4, 64, 50, 14, 0},
        {-1, ControlKind::Static, u"Über dem Knopf", 4, 64, 50, 14, 0},
        {17, ControlKind::RadioButton, u"Eins", 96, 62, 40, 10, ControlStyle::Group},
        {IdOk, ControlKind::PushButton, u"OK", 4, 90, 50, 14, ControlStyle::Default},
        {18, ControlKind::Edit, u"", 90, 90, 80, 12, ControlStyle::Disabled},
    };
    return t;
}

} // namespace

TEST(Dialog, ControlsTakeTheirOwnTapsKeysAndCharacters) {
    platform::testing::TempDevice device;
    Recorder r;
    Dialog* d = Dialog::CreateModeless(KindsTemplate(), r, nullptr);
    ASSERT_TRUE(d);
    Window& w = d->GetWindow();
    for (auto s : {u"eins", u"zwei", u"drei"})
        d->AddString(12, s);
    EXPECT_EQ(d->Focus(), 10); // the first enabled, visible edit

    // Tab goes round the edits and list boxes that can take it.
    std::vector<int> focus;
    for (int i = 0; i < 3; ++i) {
        w.Key(vk::Tab);
        focus.push_back(d->Focus());
    }
    EXPECT_EQ(focus, (std::vector<int>{12, 10, 12}));

    // Keys and characters reach the focused control only.
    w.Char(u'x');
    w.Key(vk::Down);
    w.Key(vk::Down);
    EXPECT_EQ(d->GetText(10), u"abc");
    EXPECT_EQ(d->GetCurSel(12), 1);
    d->Enable(12, false);
    w.Key(vk::Up); // a disabled list box keeps its selection
    EXPECT_EQ(d->GetCurSel(12), 1);
    d->SetFocus(10);
    w.Char(u'd');
    w.Char(u'\t'); // control characters are not text
    w.Key(vk::Back);
    w.Key(vk::Back);
    w.Char(u'Z');
    EXPECT_EQ(d->GetText(10), u"abZ");
    d->SetFocus(18);
    w.Char(u'q'); // nor does a disabled edit take any
    EXPECT_EQ(d->GetText(18), u"");
    d->SetFocus(10);
    d->SetText(10, std::u16string(1023, u'a'));
    w.Char(u'b');
    w.Char(u'c');
    EXPECT_EQ(d->GetText(10).size(), 1024u);

    // Statics and group boxes let taps through to what lies below them.
    auto centre = [&](int id) {
        Rect c = d->ControlRect(id);
        w.Tap((c.left + c.right) / 2, (c.top + c.bottom) / 2);
    };
    centre(14);
    centre(16);
    centre(15);
    EXPECT_TRUE(d->IsChecked(14));
    EXPECT_TRUE(d->IsChecked(15));
    std::vector<std::string> expected = {"12:3", "12:3", "10:1", "10:1", "10:1",
                                         "10:1", "10:1", "14:0", "16:0", "15:0"};
    EXPECT_EQ(r.commands, expected);
    d->Destroy();
    PumpMessages();
}

TEST(Dialog, EachKindPaintsItsState) {
    platform::testing::TempDevice device;
    Recorder r;
    Dialog* d = Dialog::CreateModeless(KindsTemplate(), r, nullptr);
    ASSERT_TRUE(d);
    for (auto s : {u"eins", u"zwei", u"drei"})
        d->AddString(12, s);
    const int line = d->UnitsToPixelsY(8);
    // The box of a check box or radio button, and a point of its mark.
    auto box = [&](int id) {
        Rect c = d->ControlRect(id);
        int size = std::min(c.Height(), line) - 2;
        int top = c.top + (c.Height() - size) / 2;
        return Rect{c.left, top, c.left + size, top + size};
    };
    auto tick = [&](int id) { return Point{box(id).left + 2, box(id).top + box(id).Height() / 2}; };
    auto dot = [&](int id) {
        Rect b = box(id);
        return Point{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    };
    auto corner = [&](int id) { return Point{d->ControlRect(id).left, d->ControlRect(id).top}; };
    auto insideEnd = [&](int id) {
        Rect c = d->ControlRect(id);
        return Point{c.right - 3, c.bottom - 3};
    };
    auto row = [&](int id, int index) {
        Rect c = d->ControlRect(id);
        return Point{c.left + 3, c.top + 2 + index * line + 1};
    };
    const Color white = Rgb(255, 255, 255), black = Rgb(0, 0, 0), face = Rgb(212, 208, 200);
    const Color light = Rgb(192, 192, 192), shadow = Rgb(128, 128, 128), navy = Rgb(0, 0, 128);
    struct Probe {
        const char* what;
        std::function<void()> change;
        Point at;
        Color expected;
    } probes[] = {
        {"an unchecked check box is empty", [] {}, tick(14), white},
        {"a checked one has its tick", [&] { d->Check(14, true); }, tick(14), black},
        {"an unchecked radio button is empty", [] {}, dot(17), white},
        {"a checked one has its dot", [&] { d->Check(17, true); }, dot(17), black},
        {"a push-like check box stands out", [] {}, corner(15), light},
        {"and is pressed in when checked", [&] { d->Check(15, true); }, corner(15), shadow},
        {"the default button has a black frame", [] {}, corner(IdOk), black},
        {"an enabled edit is white", [] {}, insideEnd(10), white},
        {"a disabled one has the dialog's face", [] {}, insideEnd(18), face},
        {"a list row without selection is white", [] {}, row(12, 1), white},
        {"the selected row is highlighted", [&] { d->SetCurSel(12, 1); }, row(12, 1), navy},
        {"a disabled list box still shows it", [&] { d->Enable(12, false); }, row(12, 1), navy},
    };
    for (auto& p : probes) {
        p.change();
        PumpMessages();
        EXPECT_EQ(d->GetWindow().Surface().GetPixel(p.at.x, p.at.y), p.expected)
            << p.what << " at " << p.at.x << "," << p.at.y;
    }
    d->Destroy();
    PumpMessages();
}

TEST(Dialog, AModelessDialogEndedInItsOwnHandlerLastsUntilItsHandlerReturns) {
    platform::testing::TempDevice device;
    struct Closer : DialogHandler {
        bool nestedTurn = false;
        std::u16string seen;
        void OnCommand(Dialog& d, int id, Notification) override {
            if (id != IdOk)
                return;
            d.End(IdOk);
            seen = d.GetText(10); // still there after End
            if (nestedTurn)
                PumpMessages(); // a nested loop may delete it before this returns
        }
    };
    for (bool nested : {false, true}) {
        Closer closer;
        closer.nestedTurn = nested;
        Dialog* d = Dialog::CreateModeless(KindsTemplate(), closer, nullptr);
        ASSERT_TRUE(d);
        Rect ok = d->ControlRect(IdOk);
        d->GetWindow().Tap(ok.left + 2, ok.top + 2);
        EXPECT_EQ(closer.seen, u"abc") << nested;
        if (!nested) {
            EXPECT_TRUE(d->IsEnded());
            EXPECT_EQ(d->Result(), IdOk);
        }
        PumpMessages();
        EXPECT_EQ(Dialog::Topmost(), nullptr) << nested;
        EXPECT_TRUE(TopLevelWindows().empty()) << nested;
    }
}

TEST(Dialog, DeletingAModelessDialogTakesItsWindowAlong) {
    platform::testing::TempDevice device;
    Recorder r;
    Dialog* d = Dialog::CreateModeless(KindsTemplate(), r, nullptr);
    ASSERT_TRUE(d);
    delete d; // once only: its window going must not retire it a second time
    PumpMessages();
    EXPECT_TRUE(TopLevelWindows().empty());
    EXPECT_EQ(Dialog::Topmost(), nullptr);
}
