// Input synthesis, window messages, placement and power requests without a
// display: they reach our own windows and the transcript.
#include "platform/input.h"
#include "platform/desktop.h"
#include "platform/error.h"
#include "platform/power.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace platform;
using Lines = std::vector<std::string>;

namespace {

class Recorder : public WindowHandler {
public:
    Lines events;
    void OnTap(Window&, int x, int y) override {
        events.push_back("tap " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnKeyDown(Window&, int key) override { events.push_back("key " + std::to_string(key)); }
    void OnClose(Window& window) override {
        events.push_back("close");
        window.Destroy();
    }
};

Window* Open(Recorder& recorder, std::u16string title, Rect rect) {
    WindowOptions options;
    options.className = u"Test";
    options.title = std::move(title);
    options.rect = rect;
    return Window::Create(options, recorder);
}

} // namespace

TEST(Input, KeysForCharacters) {
    struct {
        char16_t c;
        int key;
    } cases[] = {
        {u'a', 65},          {u'z', 90},          {u'A', 0x100 | 65},
        {u'0', 48},          {u'!', 0x100 | 49},  {u')', 0x100 | 48},
        {u' ', 32},          {u'\n', 13},         {u'\t', 9},
        {u',', 188},         {u'<', 0x100 | 188}, {u'-', 189},
        {u'_', 0x100 | 189}, {u'\\', 220},        {u'|', 0x100 | 220},
        {u'\u00e4', -1},     {u'\u20ac', -1},     {0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyForChar(c.c), c.key) << "character " << static_cast<int>(c.c);
}

TEST(Input, MessagesAndInputReachOurWindows) {
    platform::testing::TempDevice device;
    Recorder back, front;
    Window* backWindow = Open(back, u"Hinten", {0, 0, 480, 272});
    Window* frontWindow = Open(front, u"Vorn", {100, 100, 200, 200});
    ASSERT_TRUE(backWindow && frontWindow);

    // A tap is the release, in the coordinates of the window at the point.
    SynthesizeMouseEvent(MouseEventFlag::Absolute, 150, 120);
    SynthesizeMouseEvent(MouseEventFlag::LeftDown, 0, 0);
    SynthesizeMouseEvent(MouseEventFlag::Move, -60, 0);
    SynthesizeMouseEvent(MouseEventFlag::LeftUp, 0, 0);
    EXPECT_EQ(back.events, Lines{"tap 90 120"});
    EXPECT_TRUE(front.events.empty());

    EXPECT_EQ(WindowFromPoint(150, 150).value, FindTopLevelWindow(u"Test", u"Vorn").value);
    EXPECT_EQ(WindowFromPoint(50, 50).value, FindWindowByTitle(u"Hinten").value);
    EXPECT_FALSE(WindowFromPoint(500, 50));
    EXPECT_FALSE(FindWindowByTitle(u""));
    EXPECT_FALSE(FindWindowByTitle(u"Keins"));

    const WindowHandle vorn = FindWindowByTitle(u"Vorn");
    EXPECT_TRUE(SendWindowMessage(vorn, WindowMessage::LButtonUp, 0, PointArgument(7, 8)));
    EXPECT_TRUE(SendWindowMessage(vorn, WindowMessage::KeyDown, 13, 0));
    EXPECT_TRUE(SendWindowMessage(vorn, WindowMessage::KeyUp, 13, 0xC0000000));
    EXPECT_TRUE(SendWindowMessage(vorn, 0x400, 1, 2));
    EXPECT_TRUE(SendWindowMessage(vorn, WindowMessage::Close, 0, 0));
    EXPECT_EQ(front.events, (Lines{"tap 7 8", "key 13", "close"}));
    PumpMessages();
    // The window is gone, and so is its handle.
    EXPECT_FALSE(SendWindowMessage(vorn, WindowMessage::KeyDown, 13, 0));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidHandle);
    const Lines lines = TranscriptLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "input mouse flags=0x8000 x=150 y=120");
    EXPECT_EQ(lines[4], "message window=\"Vorn\" message=0x202 wparam=0x0 lparam=0x80007");
    EXPECT_EQ(lines[7], "message window=\"Vorn\" message=0x400 wparam=0x1 lparam=0x2");
    EXPECT_EQ(lines[9], "message window=\"\" message=0x100 wparam=0xD lparam=0x0 result=failed");

    // Packed points keep negative coordinates apart.
    EXPECT_EQ(PointArgument(-1, 2), 0x0002FFFFu);
}

TEST(Input, PlacingOurWindows) {
    platform::testing::TempDevice device;
    Recorder recorder;
    Window* window = Open(recorder, u"Platz", {0, 0, 50, 50});
    ASSERT_TRUE(window);
    const WindowHandle handle = FindWindowByTitle(u"Platz");
    EXPECT_TRUE(PlaceWindow(handle, InsertAfter::Top, {10, 20, 110, 70}, Visibility::Hide));
    EXPECT_EQ(window->GetRect(), (Rect{10, 20, 110, 70}));
    EXPECT_FALSE(window->IsVisible());
    EXPECT_FALSE(IsWindowShown(handle));
    EXPECT_EQ(FindAnyWindow(u"Test").value, handle.value) << "hidden windows are found too";
    EXPECT_FALSE(WindowFromPoint(15, 25)) << "but not at a point";
    EXPECT_TRUE(PlaceWindow(handle, InsertAfter::TopMost, {0, 0, 480, 272}, Visibility::Show));
    EXPECT_TRUE(IsWindowShown(handle));
    EXPECT_FALSE(PlaceWindow({}, InsertAfter::Top, {0, 0, 1, 1}, Visibility::Show));
    EXPECT_EQ(TranscriptLines(),
              (Lines{"place window=\"Platz\" x=10 y=20 w=100 h=50 after=0 hidden",
                     "place window=\"Platz\" x=0 y=0 w=480 h=272 after=-1 shown",
                     "place window=\"\" x=0 y=0 w=1 h=1 after=0 shown result=failed"}));
}

TEST(Input, PowerStates) {
    platform::testing::TempDevice device;
    EXPECT_FALSE(SetSystemPowerState(0x00100000, PowerState::Force));
    EXPECT_EQ(LastError().code, ErrorCode::NotSupported);
    EXPECT_TRUE(TranscriptLines().empty());
}
