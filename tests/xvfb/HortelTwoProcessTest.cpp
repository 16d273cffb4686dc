// Two real hortel processes on a virtual X server: the second start finds the
// first one's dialog by its class and only brings it to the front.
#include <gtest/gtest.h>

#include "Process.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_server.h"
#include "platform/testing/x_windows.h"

#include <filesystem>

namespace fs = std::filesystem;
using namespace platform::testing;

TEST(HortelOnX11, ASecondStartOnlyRaisesTheOpenDialog) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
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
                             {"CE_TRANSCRIPT", (device.Root() / transcript).string()}},
                            "",
                            (device.Root() / (std::string(transcript) + ".stderr")).string()};
    };
    ASSERT_EQ(e2e::Run(program({"s", "\\Storage Card\\b.reg"}, "headless", "t0.txt")), 1);

    e2e::ChildProcess first = e2e::Start(program({"rd", "\\Storage Card\\b.reg"}, "sdl", "t1.txt"));
    ASSERT_TRUE(first.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ::Window dialog = WaitForXWindow(x.get(), "regRestClass", "", std::chrono::seconds(30));
    ASSERT_NE(dialog, 0u) << "the first hortel never showed its dialog: " << first.Outcome();

    // Whatever the second start asks for, it only raises the dialog.
    EXPECT_EQ(e2e::Run(program({"s", "\\Storage Card\\second.reg"}, "sdl", "t2.txt")), 0);
    EXPECT_FALSE(fs::exists(device.Root() / "Storage Card" / "second.reg"));
    std::string second = e2e::ReadFile((device.Root() / "t2.txt").string());
    EXPECT_NE(second.find("foreground foreign=yes"), std::string::npos) << second;

    // The first is still there and ends through its close request with 0.
    EXPECT_EQ(FindXWindow(x.get(), "regRestClass"), dialog);
    AskToClose(x.get(), dialog);
    EXPECT_EQ(first.Wait(std::chrono::seconds(30)), 0)
        << first.Outcome() << ": " << e2e::ReadFile((device.Root() / "t1.txt.stderr").string())
        << e2e::ReadFile((device.Root() / "t1.txt").string());
}
