// velvane as a user meets it on a screen: real windows on a virtual X server.
#include <gtest/gtest.h>

#include "Process.h"
#include "XWindows.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_screen.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

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

void Snapshot(const char* name) {
    if (const char* dir = std::getenv("SNAPSHOT_DIR"))
        if (auto shot = platform::testing::GrabXScreen())
            shot->SavePng(fs::path(dir) / name);
}

} // namespace

TEST(VelvaneOnX, AFirstStartAsksForTheGpsSettingsAndEndsOnRequest) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; this test runs under xvfb-run";
    platform::testing::TempDevice device;
    pid_t pid = e2e::Start(Velvane(device.Root()));
    ASSERT_GT(pid, 0);
    Display* d = XOpenDisplay(nullptr);
    ASSERT_TRUE(d);
    // "Datei nicht gefunden:" for Velvane.ini first, then the settings dialog.
    ::Window missing = e2e::WaitForXWindow(d, "Dialog", "Datei nicht gefunden:");
    ASSERT_NE(missing, 0u);
    e2e::PressKeyIn(d, missing, "Return");
    ::Window settings = e2e::WaitForXWindow(d, "Dialog", "GPS Einstellungen");
    ASSERT_NE(settings, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Snapshot("velvane-gps-settings-under-x.png");

    // Closing it asks "Beenden?"; Return takes "Ja" and the program ends.
    e2e::AskToClose(d, settings);
    ::Window question = e2e::WaitForXWindow(d, "Dialog", "Beenden?");
    ASSERT_NE(question, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Snapshot("velvane-beenden-under-x.png");
    e2e::PressKeyIn(d, question, "Return");
    EXPECT_EQ(e2e::Wait(pid, std::chrono::seconds(20)), 0);
    XCloseDisplay(d);
}

TEST(VelvaneOnX, TheSampleDashboardRunsInAWindow) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; this test runs under xvfb-run";
    platform::testing::TempDevice device;
    fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    pid_t pid = e2e::Start(Velvane(device.Root()));
    ASSERT_GT(pid, 0);
    Display* d = XOpenDisplay(nullptr);
    ASSERT_TRUE(d);
    ::Window main = e2e::WaitForXWindow(d, "Velvane", "Velvane");
    ASSERT_NE(main, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    e2e::PressKeyIn(d, main, "Return"); // opens the menu
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Snapshot("velvane-menu-under-x.png");
    auto shot = platform::testing::GrabXScreen();
    ASSERT_TRUE(shot);
    // The menu's first box (hot: the style's dark blue) is on the X screen.
    EXPECT_EQ(shot->GetPixel(20, 20), platform::Rgb(0x20, 0x40, 0x80));
    e2e::AskToClose(d, main);
    EXPECT_EQ(e2e::Wait(pid, std::chrono::seconds(20)), 0);
    XCloseDisplay(d);
}
