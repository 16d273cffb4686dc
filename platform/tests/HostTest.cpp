#include "platform/host.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace platform;
using platform::testing::TempDevice;

namespace {

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Ticker : public WindowHandler {
public:
    std::vector<uint64_t> firings;
    void OnPaint(Window&, Canvas&) override {}
    void OnTimer(Window&, int) override { firings.push_back(GetTickCount()); }
};

} // namespace

TEST(ScreenSize, OnlyWholeSizesUpToTheLargestScreen) {
    struct Case {
        const char* text;
        bool ok;
        int width, height;
    } cases[] = {
        {"480x272", true, 480, 272},
        {"800X480", true, 800, 480},
        {"272x480", true, 272, 480},
        {"7680x4320", true, 7680, 4320},
        {"4320x7680", true, 4320, 7680},
        {"1x1", true, 1, 1},
        {"0x0", false, 0, 0},
        {" 480x272", false, 0, 0},
        {"480x272 ", false, 0, 0},
        {"5x-3", false, 0, 0},
        {"+5x3", false, 0, 0},
        {"99999x1", false, 0, 0},
        {"10000x10000", false, 0, 0},
        {"8192x8192", false, 0, 0},
        {"7680x7680", false, 0, 0},
        {"480", false, 0, 0},
        {"x272", false, 0, 0},
        {"480x", false, 0, 0},
        {"480x272x1", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const auto& c : cases) {
        int w = -1, h = -1;
        EXPECT_EQ(ParseScreenSize(c.text, w, h), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(w, c.width) << c.text;
            EXPECT_EQ(h, c.height) << c.text;
        } else {
            EXPECT_EQ(w, -1) << "a refused size leaves nothing behind: " << c.text;
            EXPECT_EQ(h, -1) << c.text;
        }
    }
}

TEST(ScreenSize, ABadSettingIsOneLineAndTheDefault) {
    for (const char* bad : {"10000x10000", "0x0", "5x-3"}) {
        ::setenv("CE_SCREEN", bad, 1);
        ::testing::internal::CaptureStderr();
        HostSettings h = ReadHostSettings(u"\\Windows\\x.exe");
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(h.screenWidth, 480) << bad;
        EXPECT_EQ(h.screenHeight, 272) << bad;
        EXPECT_NE(err.find(std::string("CE_SCREEN=\"") + bad + "\""), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    ::unsetenv("CE_SCREEN");
}

TEST(Host, FullscreenIsOneOrZeroAndOffByDefault) {
    struct Case {
        const char* value;
        bool fullscreen;
        bool complaint;
    } cases[] = {{nullptr, false, false},
                 {"1", true, false},
                 {"0", false, false},
                 {"yes", false, true},
                 {"", false, false}};
    for (const Case& c : cases) {
        if (c.value)
            ::setenv("CE_FULLSCREEN", c.value, 1);
        else
            ::unsetenv("CE_FULLSCREEN");
        ::testing::internal::CaptureStderr();
        HostSettings h = ReadHostSettings(u"\\Windows\\x.exe");
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(h.fullscreen, c.fullscreen) << (c.value ? c.value : "unset");
        EXPECT_EQ(err.find("CE_FULLSCREEN") != std::string::npos, c.complaint) << err;
    }
    ::unsetenv("CE_FULLSCREEN");
}

namespace {

// The first start of a program whose script has a syntax error: the error is
// reported while the backend starts, before anything else asked for settings.
int FirstStartWithABadScript() {
    std::string folder = (std::filesystem::temp_directory_path() / "ce-host-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 10;
    const std::filesystem::path base = folder;
    std::ofstream(base / "script.txt") << "type \"unclosed\nwait 10\n";
    HostSettings h;
    h.root = base / "device";
    h.registry = base / "registry";
    h.script = base / "script.txt";
    h.transcript = base / "transcript.txt";
    h.screenWidth = 320;
    Initialize(h);
    int failure = 0;
    if (Host().root != h.root || Host().transcript != h.transcript || Host().screenWidth != 320)
        failure = 1;
    else if (Slurp(h.transcript).find("script-error line 1: unclosed quote") == std::string::npos)
        failure = 2;
    std::filesystem::remove_all(base);
    return failure;
}

} // namespace

TEST(HostSettingsDeathTest, AScriptErrorAtStartKeepsEveryHostSetting) {
    // A fresh process, so nothing has initialised the settings yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(FirstStartWithABadScript()), ::testing::ExitedWithCode(0), "");
}

TEST(Automation, AVeryLongWaitJumpsTheClock) {
    TempDevice device;
    Ticker ticker;
    WindowOptions o;
    o.className = u"Ticker";
    o.rect = {0, 0, 480, 272};
    Window* w = Window::Create(o, ticker);
    ASSERT_TRUE(w);
    w->SetTimer(1, 100);

    // An ordinary wait fires every period in order.
    headless::LoadScript("wait 1000\nwait 99999999999\n");
    ASSERT_TRUE(headless::RunScriptStep());
    ASSERT_EQ(ticker.firings.size(), 10u);
    for (size_t i = 0; i < ticker.firings.size(); ++i)
        EXPECT_EQ(ticker.firings[i], 100u * (i + 1));

    // A wait of three years ends promptly, at exactly the time asked for.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(headless::RunScriptStep());
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(seconds.count(), 2.0);
    EXPECT_LE(ticker.firings.size(), 100000u + 20u);
    EXPECT_EQ(GetTickCount(), static_cast<uint32_t>(1000ull + 99999999999ull));
    EXPECT_EQ(ticker.firings.back(), GetTickCount()) << "the timer fires once at the end";
    w->Destroy();
}

// Data from a live source arrives in real time: a sleep lets that time pass,
// with the clock and its timers keeping pace.
TEST(Automation, ASleepTakesRealTimeAndTimersFireOnTheWay) {
    TempDevice device;
    Ticker ticker;
    WindowOptions o;
    o.className = u"Ticker";
    o.rect = {0, 0, 480, 272};
    Window* w = Window::Create(o, ticker);
    ASSERT_TRUE(w);
    w->SetTimer(1, 100);
    const uint32_t before = GetTickCount();

    headless::LoadScript("sleep 300\nsleep x\n");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(headless::RunScriptStep());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(300));
    EXPECT_EQ(GetTickCount(), before + 300);
    ASSERT_EQ(ticker.firings.size(), 3u);
    EXPECT_EQ(ticker.firings.back(), before + 300u);

    TranscriptClear();
    ASSERT_TRUE(headless::RunScriptStep());
    ASSERT_EQ(TranscriptLines().size(), 1u);
    EXPECT_NE(TranscriptLines()[0].find("sleep: needs milliseconds"), std::string::npos)
        << TranscriptLines()[0];
    w->Destroy();
}
