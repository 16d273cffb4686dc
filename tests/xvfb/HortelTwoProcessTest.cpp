// Two real hortel processes on a virtual X server: the second start finds the
// first one's dialog by its class and only brings it to the front.
#include <gtest/gtest.h>

#include "Process.h"
#include "XWindows.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

TEST(HortelOnX11, ASecondStartOnlyRaisesTheOpenDialog) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; this test runs under xvfb-run";
    platform::testing::TempDevice device;
    fs::create_directories(device.Root() / "Storage Card");
    {
        auto key = platform::RegistryKey::Create(platform::HKEY_CURRENT_USER, u"Software\\Test");
        ASSERT_TRUE(key && key->SetDword(u"Value", 1));
        platform::RegCloseStore();
    }
    auto program = [&](std::vector<std::string> args, const char* backend, const char* transcript) {
        return e2e::Program{HORTEL_BIN,
                            std::move(args),
                            {{"CE_ROOT", device.Root().string()},
                             {"CE_REGISTRY", (device.Root() / ".registry").string()},
                             {"CE_BACKEND", backend},
                             {"CE_TRANSCRIPT", (device.Root() / transcript).string()}}};
    };
    ASSERT_EQ(e2e::Run(program({"s", "\\Storage Card\\b.reg"}, "headless", "t0.txt")), 1);

    pid_t first = e2e::Start(program({"rd", "\\Storage Card\\b.reg"}, "sdl", "t1.txt"));
    ASSERT_GT(first, 0);
    Display* d = XOpenDisplay(nullptr);
    ASSERT_TRUE(d);
    ::Window dialog = 0;
    for (int i = 0; i < 500 && !dialog; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        dialog = e2e::FindXWindow(d, "regRestClass");
    }
    ASSERT_NE(dialog, 0u) << "the first hortel never showed its dialog";

    // Whatever the second start asks for, it only raises the dialog.
    EXPECT_EQ(e2e::Run(program({"s", "\\Storage Card\\second.reg"}, "sdl", "t2.txt")), 0);
    EXPECT_FALSE(fs::exists(device.Root() / "Storage Card" / "second.reg"));
    std::string second = e2e::ReadFile((device.Root() / "t2.txt").string());
    EXPECT_NE(second.find("foreground foreign=yes"), std::string::npos) << second;

    // The first is still there and ends through its close request with 0.
    EXPECT_EQ(e2e::FindXWindow(d, "regRestClass"), dialog);
    e2e::AskToClose(d, dialog);
    EXPECT_EQ(e2e::Wait(first, std::chrono::seconds(20)), 0);
    XCloseDisplay(d);
}
