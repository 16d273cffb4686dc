#include "platform/error.h"
#include "platform/host.h"
#include "platform/kernel.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace platform;
using platform::testing::TempDevice;

namespace {

void SetRebootCommand(const std::string& command) {
    HostSettings h = Host();
    h.rebootCommand = command;
    Initialize(h);
}

} // namespace

// The soft reset after a registry restore must never reach the host itself.
TEST(RegistryReboot, WithoutACommandTheRequestIsOnlyRecorded) {
    TempDevice device;
    SetRebootCommand("");
    EXPECT_TRUE(KernelIoControl(IOCTL_HAL_REBOOT));
    EXPECT_EQ(TranscriptLines(), std::vector<std::string>{"reboot"});
}

TEST(RegistryReboot, TheHostCommandRunsThroughTheShell) {
    TempDevice device;
    auto marker = device.Root() / "rebooted";
    SetRebootCommand("echo asked > '" + marker.string() + "'");
    EXPECT_TRUE(KernelIoControl(IOCTL_HAL_REBOOT)) << LastError().message;
    std::ifstream in(marker);
    std::string word;
    in >> word;
    EXPECT_EQ(word, "asked");
}

// How the command ended is recorded, so that a reset that failed shows.
TEST(RegistryReboot, TheTranscriptSaysHowTheCommandEnded) {
    TempDevice device;
    struct Case {
        const char* command;
        bool ok;
        const char* line;
        const char* error;
    } cases[] = {
        {"true", true, "reboot command=\"true\" exit=0", ""},
        {"exit 3", false, "reboot command=\"exit 3\" exit=3", "exited with 3"},
        {"kill -9 $$", false, "reboot command=\"kill -9 $$\" signal=9", "signal 9"},
        {"echo \"a b\"; exit 1", false, "reboot command=\"echo \\\"a b\\\"; exit 1\" exit=1",
         "exited with 1"},
    };
    for (const auto& c : cases) {
        TranscriptClear();
        SetRebootCommand(c.command);
        EXPECT_EQ(KernelIoControl(IOCTL_HAL_REBOOT), c.ok) << c.command;
        EXPECT_EQ(TranscriptLines(), std::vector<std::string>{c.line}) << c.command;
        if (!c.ok) {
            EXPECT_NE(LastError().message.find(c.error), std::string::npos)
                << c.command << ": " << LastError().message;
        }
    }
}

TEST(RegistryReboot, UnknownControlsAndBuffersAreRefused) {
    TempDevice device;
    SetRebootCommand("");
    EXPECT_FALSE(KernelIoControl(0x01010000));
    EXPECT_EQ(LastError().code, ErrorCode::NotSupported);
    EXPECT_NE(LastError().message.find("0x01010000"), std::string::npos) << LastError().message;
    char buffer[4] = {};
    EXPECT_FALSE(KernelIoControl(IOCTL_HAL_REBOOT, buffer, sizeof buffer));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
    EXPECT_TRUE(TranscriptLines().empty());
}
