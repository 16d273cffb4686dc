#include "platform/window.h"
#include "platform/bitmap.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace platform;

namespace {

// Records what reaches the window; paints itself in one colour.
class Recorder : public WindowHandler {
public:
    std::vector<std::string> events;
    int paints = 0;
    Color fill = Rgb(255, 0, 0);
    bool quitOnDestroy = true;

    void OnPaint(Window&, Canvas& canvas) override {
        ++paints;
        canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, fill);
    }
    void OnKeyDown(Window&, int key) override { events.push_back("key " + std::to_string(key)); }
    void OnTap(Window&, int x, int y) override {
        events.push_back("tap " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnChar(Window&, char16_t c) override { events.push_back(std::string("char ") + char(c)); }
    void OnTimer(Window&, int id) override {
        events.push_back("timer " + std::to_string(id) + " at " + std::to_string(GetTickCount()));
    }
    void OnDestroy(Window&) override {
        events.push_back("destroy");
        if (quitOnDestroy)
            PostQuit(3);
    }
};

Window* Open(Recorder& r, Rect rect = {0, 0, 480, 272}, std::u16string cls = u"Velvane") {
    WindowOptions o;
    o.className = std::move(cls);
    o.title = u"Velvane";
    o.rect = rect;
    return Window::Create(o, r);
}

} // namespace

TEST(Window, ManyInvalidationsCostOnePaint) {
    platform::testing::TempDevice device;
    Recorder r;
    Window* w = Open(r);
    ASSERT_TRUE(w);
    PumpMessages();
    EXPECT_EQ(r.paints, 1); // the first paint after creation
    w->Invalidate();
    w->Invalidate();
    PumpMessages();
    EXPECT_EQ(r.paints, 2);
    PumpMessages();
    EXPECT_EQ(r.paints, 2);
    EXPECT_EQ(FindWindow(u"Velvane"), w);
    EXPECT_EQ(FindWindow(u"Velvane", u"Other"), nullptr);
    EXPECT_EQ(FindWindow(u"Dialog"), nullptr);
}

TEST(Window, RefusedCreationLeavesNoWindow) {
    platform::testing::TempDevice device;
    struct Refuse : WindowHandler {
        bool OnCreate(Window&) override { return false; }
    } refuse;
    WindowOptions o;
    o.className = u"X";
    o.rect = {0, 0, 10, 10};
    EXPECT_EQ(Window::Create(o, refuse), nullptr);
    EXPECT_TRUE(TopLevelWindows().empty());
    o.rect = {0, 0, 0, 10};
    Recorder r;
    EXPECT_EQ(Window::Create(o, r), nullptr);
}

TEST(Window, TimersFireInTimeOrderOnTheVirtualClock) {
    platform::testing::TempDevice device;
    Recorder r;
    Window* w = Open(r);
    uint32_t t0 = GetTickCount();
    w->SetTimer(1, 300);
    w->SetTimer(2, 500);
    int fired = 0;
    w->SetTimer(3, 250, [&] {
        if (++fired == 2)
            w->KillTimer(3); // a timer may kill itself
    });
    headless::AdvanceClock(1000);
    auto at = [&](int id, int ms) {
        return "timer " + std::to_string(id) + " at " + std::to_string(t0 + ms);
    };
    std::vector<std::string> expected = {at(1, 300), at(2, 500), at(1, 600), at(1, 900),
                                         at(2, 1000)};
    EXPECT_EQ(r.events, expected);
    EXPECT_EQ(fired, 2);
    w->KillTimer(1);
    w->SetTimer(2, 100); // a new period replaces the old
    r.events.clear();
    headless::AdvanceClock(250);
    EXPECT_EQ(r.events.size(), 2u);
}

TEST(Automation, ScriptsParseQuotesAndComments) {
    platform::testing::TempDevice device;
    Recorder r;
    Window* w = Open(r, {0, 0, 480, 272});
    Recorder dialog;
    dialog.quitOnDestroy = false;
    dialog.fill = Rgb(0, 0, 255);
    ASSERT_TRUE(Open(dialog, {100, 50, 200, 150}, u"Dialog"));
    std::string shot = (device.Root() / "shot.png").string();
    headless::LoadScript("# a comment\n"
                         "tap 10 20\r\n"
                         "tap 110 60\n"
                         "key 13\n"
                         "type \"a b\"\n"
                         "answer \"Beenden?\" yes\n"
                         "bogus 1\n"
                         "wait 100\n"
                         "snapshot \"" +
                         shot +
                         "\"\n"
                         "quit\n");
    EXPECT_EQ(RunMessageLoop(), 3);
    auto live = TopLevelWindows(); // the main window is gone, deleted
    EXPECT_EQ(std::find(live.begin(), live.end(), w), live.end());
    std::vector<std::string> expected = {"tap 10 20", "destroy"};
    EXPECT_EQ(r.events, expected);
    // The dialog is topmost: it has the focus for keys and text.
    std::vector<std::string> dialogExpected = {"tap 10 10", "key 13", "char a", "char  ", "char b"};
    EXPECT_EQ(dialog.events, dialogExpected);
    EXPECT_EQ(
        MessageBox(nullptr, u"?", u"Beenden?", MessageBoxButtons::YesNo, MessageBoxIcon::Question),
        IdYes);

    auto lines = TranscriptLines();
    auto has = [&](const std::string& prefix) {
        for (auto& l : lines)
            if (l.rfind(prefix, 0) == 0)
                return true;
        return false;
    };
    EXPECT_TRUE(has("tap x=10 y=20"));
    EXPECT_TRUE(has("key vk=13"));
    EXPECT_TRUE(has("type text=\"a b\""));
    EXPECT_TRUE(has("script-error line 7: bogus: unknown verb"));
    EXPECT_TRUE(has("quit"));

    // The snapshot composes the windows back to front.
    std::ifstream in(shot, std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), {});
    auto bitmap = Bitmap::Decode({reinterpret_cast<const uint8_t*>(png.data()), png.size()});
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 480);
    EXPECT_EQ(bitmap->GetPixel(5, 5), Rgb(255, 0, 0));
    EXPECT_EQ(bitmap->GetPixel(150, 100), Rgb(0, 0, 255));
    EXPECT_EQ(bitmap->GetPixel(199, 149), Rgb(0, 0, 255));
    EXPECT_EQ(bitmap->GetPixel(200, 150), Rgb(255, 0, 0));
}

TEST(Automation, TheEndOfTheScriptClosesTheMainWindow) {
    platform::testing::TempDevice device;
    Recorder r;
    Window* w = Open(r);
    headless::LoadScript("wait 10\n");
    EXPECT_EQ(RunMessageLoop(), 3);
    EXPECT_EQ(FindWindow(u"Velvane"), nullptr);
    (void)w;

    // A program that refuses to close is stopped rather than left hanging.
    struct Stubborn : Recorder {
        void OnClose(Window&) override { events.push_back("close refused"); }
    } stubborn;
    Window* s = Open(stubborn);
    headless::LoadScript("");
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_TRUE(s->IsAlive());
    EXPECT_EQ(stubborn.events, std::vector<std::string>{"close refused"});
}

// A screen turned or mirrored for mounting: snapshots show what the eye
// sees, script taps land where the eye sees them, and the program keeps its
// own upright coordinates.
TEST(Presentation, SnapshotsAndTapsFollowTheTurnedScreen) {
    platform::testing::TempDevice device;
    struct Marked : Recorder {
        void OnPaint(Window& w, Canvas& canvas) override {
            Recorder::OnPaint(w, canvas);
            canvas.FillRect({0, 0, 20, 10}, Rgb(0, 0, 255)); // top left, wider than high
        }
    } r;
    r.quitOnDestroy = false;
    Window* w = Open(r);
    const auto shot = device.Root() / "shot.png";
    auto picture = [&] {
        EXPECT_TRUE(SnapshotScreenPng(shot));
        std::ifstream in(shot, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return Bitmap::Decode({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    };
    const Color blue = Rgb(0, 0, 255), red = Rgb(255, 0, 0);
    const struct {
        bool mirror;
        int rotation;
        Size size;
        Rect mark;   // where the blue mark shows
        Point tap;   // a tap there, shown ...
        Point lands; // ... lands here in the window
    } cases[] = {
        {true, 0, {480, 272}, {460, 0, 480, 10}, {479, 0}, {0, 0}},
        {false, 90, {272, 480}, {262, 0, 272, 20}, {271, 19}, {19, 0}},
        {true, 90, {272, 480}, {0, 0, 10, 20}, {0, 0}, {0, 0}},
        {false, 180, {480, 272}, {460, 262, 480, 272}, {470, 271}, {9, 0}},
        {false, 270, {272, 480}, {0, 460, 10, 480}, {0, 479}, {0, 0}},
        {false, 0, {480, 272}, {0, 0, 20, 10}, {5, 6}, {5, 6}},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.rotation) + (c.mirror ? " mirrored" : "");
        ASSERT_TRUE(SetPresentation(c.mirror, c.rotation)) << what;
        auto p = picture();
        ASSERT_TRUE(p) << what;
        ASSERT_EQ(p->Width(), c.size.cx) << what;
        ASSERT_EQ(p->Height(), c.size.cy) << what;
        int marked = 0;
        for (int y = 0; y < c.size.cy; ++y)
            for (int x = 0; x < c.size.cx; ++x)
                marked += p->GetPixel(x, y) == blue;
        EXPECT_EQ(marked, 200) << what;
        EXPECT_EQ(p->GetPixel(c.mark.left, c.mark.top), blue) << what;
        EXPECT_EQ(p->GetPixel(c.mark.right - 1, c.mark.bottom - 1), blue) << what;
        EXPECT_EQ(p->GetPixel(c.size.cx / 2, c.size.cy / 2), red) << what;

        r.events.clear();
        headless::LoadScript("tap " + std::to_string(c.tap.x) + " " + std::to_string(c.tap.y) +
                             "\ntap " + std::to_string(c.size.cx) + " 0\n");
        headless::RunScriptStep();
        headless::RunScriptStep(); // off the presented screen: nowhere
        EXPECT_EQ(r.events, std::vector<std::string>{"tap " + std::to_string(c.lands.x) + " " +
                                                     std::to_string(c.lands.y)})
            << what;
    }
    EXPECT_FALSE(SetPresentation(false, 45));
    EXPECT_EQ(GetPresentation().rotation, 0) << "unchanged by a refused turn";
    w->Destroy();
    PumpMessages();
}
