#include "control/KeyMacro.h"
#include "control/Navigator.h"

#include "platform/clock.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace lokaro;
using platform::testing::TempDevice;
using Lines = std::vector<std::string>;

namespace {

class Recorder : public platform::WindowHandler {
public:
    Lines events;
    void OnTap(platform::Window&, int x, int y) override {
        events.push_back("tap " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnKeyDown(platform::Window&, int key) override {
        events.push_back("key " + std::to_string(key));
    }
};

platform::Window* Open(platform::WindowHandler& handler, std::u16string title,
                       platform::Rect rect) {
    platform::WindowOptions options;
    options.className = u"Navi";
    options.title = std::move(title);
    options.rect = rect;
    return platform::Window::Create(options, handler);
}

// The transcript lines of a key pressed for the whole screen.
Lines Pressed(int vk) {
    return {"input key vk=" + std::to_string(vk) + " flags=0x4",
            "input key vk=" + std::to_string(vk) + " flags=0x6"};
}
Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// A key sent to the window "Ziel" as messages.
Lines Sent(int vk, bool alt = false) {
    char down[128], up[128];
    snprintf(down, sizeof down, "message window=\"Ziel\" message=0x100 wparam=0x%X lparam=0x%X", vk,
             alt ? 0x20000000u : 0u);
    snprintf(up, sizeof up, "message window=\"Ziel\" message=0x101 wparam=0x%X lparam=0x%X", vk,
             alt ? 0xE0000000u : 0xC0000000u);
    return {down, up};
}

} // namespace

TEST(KeyMacro, Elements) {
    TempDevice device(u"\\Windows\\lokaro.exe", 480, 272);
    device.Put(DefaultNavigatorPath, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(device.HostPath(DefaultNavigatorPath),
                                 std::filesystem::perms::owner_all);
    Recorder ziel;
    platform::Window* window = Open(ziel, u"Ziel", {0, 0, 480, 272});
    ASSERT_TRUE(window);
    ScreenParameters p;
    p.x = 10;
    p.y = 20;
    const std::string startOk =
        "start program=\"\\\\My Flash Disk\\\\Navigation\\\\mnavdce.exe\" arguments=\"\" "
        "result=ok";
    const std::string altDown = "input key vk=18 flags=0x4", altUp = "input key vk=18 flags=0x2";
    struct {
        std::u16string_view macro;
        MacroEnd end;
        Lines lines;
        uint32_t waited = 0;
    } cases[] = {
        {u"ab1", MacroEnd::Done, Pressed(65) + Pressed(66) + Pressed(49)},
        {u"A!", MacroEnd::Done, Pressed(65) + Pressed(49)},       // the key alone, no Shift
        {u"a\u00e4b", MacroEnd::Done, Pressed(65) + Pressed(66)}, // no key for it
        {u"a\\|b", MacroEnd::EndMark, Pressed(65)},
        {u"\\13\\0x25\\010", MacroEnd::Done, Pressed(13) + Pressed(37) + Pressed(8)},
        {u"\\a9", MacroEnd::Done, Lines{altDown} + Pressed(9) + Lines{altUp}},
        {u"\\s250x", MacroEnd::Done, Pressed(88), 250},
        {u"\\f|Ziel\\13\\a65x", MacroEnd::Done, Sent(13) + Sent(65, true) + Sent(88)},
        {u"\\f|Ziel\\f|\\13", MacroEnd::Done, Pressed(13)}, // an empty title drops the target
        {u"\\f|Ziel\\c-30,5,6",
         MacroEnd::Done,
         {"message window=\"Ziel\" message=0x201 wparam=0x1 lparam=0x60005",
          "message window=\"Ziel\" message=0x202 wparam=0x0 lparam=0x60005"},
         30},
        {u"\\c0,7",
         MacroEnd::Done,
         {"input mouse flags=0x8000 x=7 y=0", "input mouse flags=0x2 x=7 y=0",
          "input mouse flags=0x8000 x=7 y=0", "input mouse flags=0x4 x=7 y=0"}},
        {u"\\f|Ziel\\m0x400,1,0x10",
         MacroEnd::Done,
         {"message window=\"Ziel\" message=0x400 wparam=0x1 lparam=0x10"}},
        {u"\\m0x10", MacroEnd::Done, {}}, // no target, no message
        {u"\\f|Ziel\\p", MacroEnd::Done, {"foreground title=\"Ziel\""}},
        {u"\\f|Ziel\\p0",
         MacroEnd::Done,
         {"place window=\"Ziel\" x=10 y=20 w=480 h=272 after=0 shown"}},
        {u"\\f|Ziel\\p-1",
         MacroEnd::Done,
         {"place window=\"Ziel\" x=10 y=20 w=480 h=272 after=-1 shown"}},
        {u"\\l|13", MacroEnd::Done, Lines{startOk} + Pressed(13)},
        {u"\\l|", MacroEnd::Done, {startOk}},
        {u"\\l||x", MacroEnd::EndMark, {startOk}},
        {u"\\l\\Windows\\fehlt.exe:-a b|s5", MacroEnd::Done, {"start-failed"}, 5},
        {u"\\f200|Nie\\13", MacroEnd::WindowMissing, {}, 200},
        {u"\\q1", MacroEnd::Done, Pressed(49)}, // an unknown element is passed over
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        ziel.events.clear();
        window->Move({0, 0, 480, 272});
        platform::TranscriptClear();
        const uint32_t start = platform::GetTickCount();
        const std::string what = platform::ToUtf8(c.macro);
        EXPECT_EQ(runKeyMacro(c.macro, p, DefaultNavigatorPath), c.end) << what;
        Lines lines = platform::TranscriptLines();
        for (auto& line : lines)
            if (line.starts_with("start program=\"\\\\Windows\\\\fehlt.exe\" arguments=\"-a b\" "
                                 "result=failed"))
                line = "start-failed";
        EXPECT_EQ(lines, c.lines) << what;
        EXPECT_EQ(platform::GetTickCount() - start, c.waited) << what;
    }
    // Keys with a target reach it as messages.
    platform::TranscriptClear();
    ziel.events.clear();
    runKeyMacro(u"\\f|Ziel\\13", p, DefaultNavigatorPath);
    EXPECT_EQ(ziel.events, Lines{"key 13"});
}

TEST(KeyMacro, WindowSearchRetriesEveryTenMilliseconds) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    struct {
        int timeout;
        int tries;
    } cases[] = {{500, 51}, {0, 1}, {25, 3}, {9, 1}, {-100, 1}};
    for (const auto& c : cases) {
        int tries = 0;
        const uint32_t start = platform::GetTickCount();
        EXPECT_FALSE(findWindowWithRetries(u"Nie", c.timeout, &tries)) << c.timeout;
        EXPECT_EQ(tries, c.tries) << c.timeout;
        EXPECT_EQ(platform::GetTickCount() - start, static_cast<uint32_t>(c.tries - 1) * 10)
            << c.timeout;
    }

    // A window that appears while the search goes on is found at once.
    Recorder host, late;
    platform::Window* window = Open(host, u"Gastgeber", {0, 0, 10, 10});
    ASSERT_TRUE(window);
    window->SetTimer(1, 95, [&] {
        window->KillTimer(1);
        Open(late, u"Später", {0, 0, 10, 10});
    });
    int tries = 0;
    EXPECT_TRUE(findWindowWithRetries(u"Später", 500, &tries));
    EXPECT_EQ(tries, 11);
    EXPECT_EQ(runKeyMacro(u"\\f500|Später\\13", {}, {}), MacroEnd::Done);
    EXPECT_EQ(late.events, Lines{"key 13"});
}
