// velvane as a user meets it on a screen: real windows on a virtual X server
// of the test's own.
#include <gtest/gtest.h>

#include "Process.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_screen.h"
#include "platform/testing/x_server.h"
#include "platform/testing/x_windows.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace platform::testing;

namespace {

// Generous: the machine may be busy with other tests.
constexpr std::chrono::seconds Patience(30);

e2e::Program Velvane(const fs::path& root) {
    return e2e::Program{
        VELVANE_BIN,
        {},
        {{"CE_ROOT", root.string()},
         {"CE_REGISTRY", (root / ".registry").string()},
         {"CE_BACKEND", "sdl"},
         {"CE_SCREEN", "480x272"},
         {"CE_TRANSCRIPT", (root / ".transcript").string()},
         {"CE_PORTS", "COM1=replay:" + (root / "GPS" / "drive.nmea").string() + ",loop"}}};
}

void UseSample(const TempDevice& device) {
    fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// Waits until the condition holds; false when it did not in time.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = Patience) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool SamePicture(const platform::Canvas& a, const platform::Canvas& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y))
                return false;
    return true;
}

// For the documentation, when SNAPSHOT_DIR is set: the screen once it has
// stopped changing.
void Snapshot(const char* name) {
    const char* dir = std::getenv("SNAPSHOT_DIR");
    if (!dir)
        return;
    std::unique_ptr<platform::Canvas> shot = GrabXScreen();
    WaitUntil(
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            auto again = GrabXScreen();
            bool same = shot && again && SamePicture(*shot, *again);
            shot = std::move(again);
            return same;
        },
        std::chrono::seconds(5));
    if (shot)
        shot->SavePng(fs::path(dir) / name);
}

} // namespace

TEST(VelvaneOnX, AFirstStartAsksForTheGpsSettingsAndEndsOnRequest) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    e2e::ChildProcess velvane = e2e::Start(Velvane(device.Root()));
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    // "Datei nicht gefunden:" for Velvane.ini first, then the settings dialog.
    ::Window missing = WaitForXWindow(x.get(), "Dialog", "Datei nicht gefunden:", Patience);
    ASSERT_NE(missing, 0u) << velvane.Outcome();
    ASSERT_TRUE(PressKeyIn(x.get(), missing, "Return"));
    ::Window settings = WaitForXWindow(x.get(), "Dialog", "GPS Einstellungen", Patience);
    ASSERT_NE(settings, 0u) << velvane.Outcome();
    Snapshot("velvane-gps-settings-under-x.png");

    // Closing it asks "Beenden?"; Return takes "Ja" and the program ends.
    AskToClose(x.get(), settings);
    ::Window question = WaitForXWindow(x.get(), "Dialog", "Beenden?", Patience);
    ASSERT_NE(question, 0u) << velvane.Outcome();
    Snapshot("velvane-beenden-under-x.png");
    ASSERT_TRUE(PressKeyIn(x.get(), question, "Return"));
    EXPECT_EQ(velvane.Wait(Patience), 0) << velvane.Outcome();
}

TEST(VelvaneOnX, TheSampleDashboardRunsInAWindow) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    UseSample(device);
    e2e::ChildProcess velvane = e2e::Start(Velvane(device.Root()));
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ::Window main = WaitForXWindow(x.get(), "Velvane", "Velvane", Patience);
    ASSERT_NE(main, 0u) << velvane.Outcome();

    // The menu's first box (hot: the style's dark blue) on the X screen. A
    // key that comes while the splash shows only takes the splash away, so a
    // second one may be needed; each gets ample time to show its effect.
    const platform::Color hot = platform::Rgb(0x20, 0x40, 0x80);
    auto menuShown = [&] { return XScreenPixel(x.get(), 20, 20) == hot; };
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        ASSERT_TRUE(PressKeyIn(x.get(), main, "Return")) << velvane.Outcome();
        shown = WaitUntil(menuShown, std::chrono::seconds(10));
    }
    EXPECT_TRUE(shown) << "pixel (20, 20) is " << std::hex << XScreenPixel(x.get(), 20, 20);
    Snapshot("velvane-menu-under-x.png");
    AskToClose(x.get(), main);
    EXPECT_EQ(velvane.Wait(Patience), 0) << velvane.Outcome();
}

namespace {

// Kills the server under a running velvane and expects it to end on its own,
// soon, not normally, with a one-line reason.
void ExpectEndWhenTheServerGoes(VirtualXServer& server, e2e::ChildProcess& velvane,
                                const std::string& stderrPath) {
    server.Kill();
    const auto killed = std::chrono::steady_clock::now();
    std::optional<int> code = velvane.Wait(std::chrono::seconds(10));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - killed);
    ASSERT_TRUE(code) << "still " << velvane.Outcome() << " after " << took.count() << " ms";
    EXPECT_NE(*code, 0) << "a lost display is not a normal end";
    EXPECT_LT(took, std::chrono::seconds(5));
    std::string reason = e2e::ReadFile(stderrPath);
    EXPECT_NE(reason.find("lost the connection to display"), std::string::npos) << reason;
    EXPECT_EQ(std::count(reason.begin(), reason.end(), '\n'), 1) << reason;
}

} // namespace

TEST(VelvaneOnX, EndsSavingWhenItsDisplayGoes) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    UseSample(device);
    // Long ago, so that a save on the way out shows.
    const fs::path settings = device.Root() / "Program Files" / "Velvane" / "Velvane.ini";
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    fs::last_write_time(settings, longAgo);
    e2e::Program program = Velvane(device.Root());
    program.stderrPath = (device.Root() / ".stderr").string();
    e2e::ChildProcess velvane = e2e::Start(program);
    ASSERT_TRUE(velvane.Started());
    {
        XConnection x = OpenXConnection();
        ASSERT_TRUE(x);
        ASSERT_NE(WaitForXWindow(x.get(), "Velvane", "Velvane", Patience), 0u) << velvane.Outcome();
    } // our own connection goes first: the test is not what should notice

    ExpectEndWhenTheServerGoes(server, velvane, program.stderrPath);
    // SaveOnExit is set in the sample: the close request saved the settings.
    EXPECT_GT(fs::last_write_time(settings), longAgo);
}

// A message box waits for an answer that can no longer come, with no timer
// running: the connection itself must tell.
TEST(VelvaneOnX, EndsWhenItsDisplayGoesWhileAMessageBoxWaits) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    e2e::Program program = Velvane(device.Root());
    program.stderrPath = (device.Root() / ".stderr").string();
    e2e::ChildProcess velvane = e2e::Start(program);
    ASSERT_TRUE(velvane.Started());
    {
        XConnection x = OpenXConnection();
        ASSERT_TRUE(x);
        ASSERT_NE(WaitForXWindow(x.get(), "Dialog", "Datei nicht gefunden:", Patience), 0u)
            << velvane.Outcome();
    }
    ExpectEndWhenTheServerGoes(server, velvane, program.stderrPath);
}
