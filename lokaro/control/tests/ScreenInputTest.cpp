#include "control/ScreenInput.h"
#include "control/DeviceSettings.h"

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <gtest/gtest.h>

using namespace lokaro;
using platform::testing::TempDevice;
using Lines = std::vector<std::string>;

namespace {

// A window of ours that notes what reaches it and paints itself grey.
class Recorder : public platform::WindowHandler {
public:
    Lines events;
    void OnPaint(platform::Window&, platform::Canvas& canvas) override {
        canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, platform::Rgb(128, 128, 128));
    }
    void OnTap(platform::Window&, int x, int y) override {
        events.push_back("tap " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnKeyDown(platform::Window&, int key) override {
        events.push_back("key " + std::to_string(key));
    }
};

platform::Window* Open(Recorder& recorder, std::u16string title, platform::Rect rect,
                       std::u16string className = u"Navi") {
    platform::WindowOptions options;
    options.className = std::move(className);
    options.title = std::move(title);
    options.rect = rect;
    return platform::Window::Create(options, recorder);
}

} // namespace

TEST(Tap, CornerDefaultsHoldAndDelay) {
    TempDevice device(u"\\Windows\\lokaro.exe", 480, 272);
    Recorder navi;
    ASSERT_TRUE(Open(navi, u"Navi", {0, 0, 480, 272}));
    ScreenParameters p;
    p.d = 250;
    const uint32_t start = platform::GetTickCount();
    EXPECT_TRUE(tap(100, -1, -1, {}, p));
    // 20 pixels from the right edge and 5 from the bottom.
    EXPECT_EQ(platform::TranscriptLines(),
              (Lines{"input mouse flags=0x8000 x=460 y=267", "input mouse flags=0x2 x=460 y=267",
                     "input mouse flags=0x8000 x=460 y=267", "input mouse flags=0x4 x=460 y=267"}));
    EXPECT_EQ(navi.events, Lines{"tap 460 267"});
    EXPECT_EQ(platform::GetTickCount() - start, 350u) << "the delay and the hold";

    platform::TranscriptClear();
    EXPECT_FALSE(tap(-1, 5, 5, {}, p)) << "-1 is no tap";
    EXPECT_TRUE(platform::TranscriptLines().empty());
    EXPECT_EQ(platform::GetTickCount() - start, 350u);
}

TEST(Tap, NegativeDelaySendsButtonMessages) {
    TempDevice device(u"\\Windows\\lokaro.exe", 480, 272);
    Recorder back, front;
    ASSERT_TRUE(Open(back, u"Hinten", {0, 0, 480, 272}));
    ASSERT_TRUE(Open(front, u"Vorn", {0, 0, 100, 100}));
    const ScreenParameters p;
    const uint32_t start = platform::GetTickCount();
    // To the window at the point, which is the front one.
    EXPECT_TRUE(tap(-40, 30, 50, {}, p));
    EXPECT_EQ(platform::TranscriptLines(),
              (Lines{"message window=\"Vorn\" message=0x201 wparam=0x1 lparam=0x32001E",
                     "message window=\"Vorn\" message=0x202 wparam=0x0 lparam=0x32001E"}));
    EXPECT_EQ(front.events, Lines{"tap 30 50"});
    EXPECT_EQ(platform::GetTickCount() - start, 40u);

    // A given window takes it whatever lies at the point.
    platform::TranscriptClear();
    EXPECT_TRUE(tap(-1000, -1, -1, platform::FindTopLevelWindow(u"Navi", u"Hinten"), p));
    EXPECT_EQ(back.events, Lines{"tap 460 267"});

    // Nothing at the point: no tap.
    platform::TranscriptClear();
    front.events.clear();
    EXPECT_FALSE(tap(-5, 600, 600, {}, p));
    EXPECT_EQ(platform::TranscriptLines(),
              (Lines{"message window=\"\" message=0x201 wparam=0x1 lparam=0x2580258 "
                     "result=failed"}));
}

TEST(PressKeys, ModifiersAroundTheKey) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    Recorder navi;
    ASSERT_TRUE(Open(navi, u"Navi", {0, 0, 480, 272}));
    struct {
        int modifier1, modifier2, key;
        Lines lines;
        Lines keys;
    } cases[] = {
        {18,
         9,
         0, // Alt+Tab
         {"input key vk=18 flags=0x4", "input key vk=9 flags=0x0", "input key vk=9 flags=0x2",
          "input key vk=18 flags=0x2"},
         {"key 18", "key 9"}},
        {0, 0, 65, {"input key vk=65 flags=0x4", "input key vk=65 flags=0x6"}, {"key 65"}},
        {16,
         0,
         49,
         {"input key vk=16 flags=0x4", "input key vk=49 flags=0x4", "input key vk=49 flags=0x6",
          "input key vk=16 flags=0x2"},
         {"key 16", "key 49"}},
        {0, 0, 0, {}, {}},
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        navi.events.clear();
        const std::string what = std::to_string(c.modifier1) + "," + std::to_string(c.modifier2) +
                                 "," + std::to_string(c.key);
        pressKeys(c.modifier1, c.modifier2, c.key);
        EXPECT_EQ(platform::TranscriptLines(), c.lines) << what;
        EXPECT_EQ(navi.events, c.keys) << what;
    }
}

TEST(ShowOsd, DrawsOverTheWindowAndLeavesWithAPositiveTime) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    Recorder navi;
    platform::Window* window = Open(navi, u"Navi", {0, 0, 480, 272});
    ASSERT_TRUE(window);
    window->Update();
    ScreenParameters p;
    p.x = 40;
    p.y = 30;
    p.r = 0; // blue background, yellow text
    p.g = 0;
    p.b = 255;
    p.rb = 255;
    p.gb = 255;
    p.bb = 0;
    p.d = -500; // stays until the window paints
    const uint32_t start = platform::GetTickCount();
    ASSERT_TRUE(showOsd(u"88", p));
    EXPECT_EQ(platform::GetTickCount() - start, 510u) << "51 drawings 10 ms apart";
    const auto lines = platform::TranscriptLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 16), "osd x=40 y=30 w=");
    EXPECT_NE(lines[0].find(" text=\"88\" duration=-500"), std::string::npos) << lines[0];
    // The text's box is blue at its corner and holds yellow letters; the
    // window is grey beside it.
    platform::Canvas& surface = window->Surface();
    EXPECT_EQ(surface.GetPixel(40, 30), platform::Rgb(0, 0, 255));
    EXPECT_EQ(surface.GetPixel(39, 30), platform::Rgb(128, 128, 128));
    int yellow = 0;
    for (int y = 30; y < 50; ++y)
        for (int x = 40; x < 70; ++x)
            yellow += surface.GetPixel(x, y) == platform::Rgb(255, 255, 0);
    EXPECT_GT(yellow, 5);
    window->Update();
    EXPECT_EQ(surface.GetPixel(40, 30), platform::Rgb(0, 0, 255)) << "no paint was asked for";

    // A positive time asks the window to paint over the text.
    p.d = 100;
    p.h = -24;
    ASSERT_TRUE(showOsd(u"5", p));
    EXPECT_TRUE(window->PaintPending());
    window->Update();
    EXPECT_EQ(surface.GetPixel(40, 30), platform::Rgb(128, 128, 128));

    // Nowhere to draw.
    p.x = 500;
    EXPECT_FALSE(showOsd(u"5", p));
}

TEST(TaskBar, HidesShowsAndTogglesOnlyTheTaskBar) {
    TempDevice device(u"\\Windows\\lokaro.exe", 480, 272);
    const ScreenParameters p;
    EXPECT_FALSE(setTaskBar(1, p)) << "no task bar";
    EXPECT_TRUE(platform::TranscriptLines().empty());

    Recorder barRecorder, other;
    platform::Window* bar = Open(barRecorder, u"", {0, 0, 200, 20}, u"HHTaskBar");
    platform::Window* navi = Open(other, u"Navi", {0, 0, 480, 272});
    ASSERT_TRUE(bar && navi);
    const struct {
        int mode;
        bool shown;
    } steps[] = {{0, false}, {2, true}, {2, false}, {1, true}, {1, true}};
    for (const auto& step : steps) {
        platform::TranscriptClear();
        EXPECT_TRUE(setTaskBar(step.mode, p)) << step.mode;
        EXPECT_EQ(bar->IsVisible(), step.shown) << step.mode;
        EXPECT_EQ(bar->GetRect(), (platform::Rect{0, 246, 480, 272}));
        const auto lines = platform::TranscriptLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], std::string("place window=\"HHTaskBar\" x=0 y=246 w=480 h=26 after=0") +
                                (step.shown ? " shown" : " hidden"));
        // Shown, it is tapped at the bottom-left corner.
        EXPECT_EQ(lines.size(), step.shown ? 5u : 1u) << step.mode;
        if (step.shown) {
            EXPECT_EQ(lines[4], "input mouse flags=0x4 x=0 y=272");
        }
    }
    EXPECT_TRUE(setTaskBar(-1, p));
    EXPECT_EQ(navi->GetRect(), (platform::Rect{0, 0, 480, 272}));
    EXPECT_TRUE(navi->IsVisible());
}

TEST(DeviceSettings, InputPanelTaskSwitchAndPower) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    EXPECT_FALSE(setInputPanel(1)) << "no panel without a keyboard command";
    EXPECT_TRUE(setInputPanel(-1));
    platform::HostSettings host = platform::Host();
    host.keyboardCommand = "true";
    platform::Initialize(host);
    platform::TranscriptClear();
    EXPECT_TRUE(setInputPanel(1));
    EXPECT_TRUE(setInputPanel(0));
    switchTask(0);
    switchTask(1);
    EXPECT_TRUE(powerDown(0));
    // Neither touches this host: no reboot command is configured.
    EXPECT_TRUE(powerDown(2));
    EXPECT_TRUE(powerDown(1));
    EXPECT_FALSE(startExplorer(1));
    EXPECT_TRUE(startExplorer(0));
    auto lines = platform::TranscriptLines();
    ASSERT_EQ(lines.size(), 10u);
    lines.back() = lines.back().substr(0, lines.back().find(" reason="));
    EXPECT_EQ(lines, (Lines{"inputpanel show", "inputpanel hide", "input key vk=18 flags=0x4",
                            "input key vk=9 flags=0x0", "input key vk=9 flags=0x2",
                            "input key vk=18 flags=0x2", "powerstate suspend", "powerstate reset",
                            "reboot",
                            "start program=\"\\\\windows\\\\explorer.exe\" arguments=\"\" "
                            "result=failed"}));

    // A reset whose host command fails is reported as failed; the command
    // learns a suspend from its environment.
    host.rebootCommand = "false";
    platform::Initialize(host);
    EXPECT_FALSE(powerDown(1));
    host.rebootCommand = "test \"$CE_POWER_STATE\" = suspend";
    platform::Initialize(host);
    EXPECT_TRUE(powerDown(2));
    EXPECT_FALSE(powerDown(1));
}
