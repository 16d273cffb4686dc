#include "control/MemoryDivision.h"
#include "control/Navigator.h"

#include "platform/error.h"
#include "platform/memory.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace lokaro;
using platform::testing::TempDevice;
namespace fs = std::filesystem;

TEST(Navigator, StartsTheConfiguredProgramWithoutArguments) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    device.Put(DefaultNavigatorPath,
               "#!/bin/sh\nprintf '%s %s\\n' $# \"$CE_PROGRAM\" > \"$0.ran\"\n");
    fs::permissions(device.HostPath(DefaultNavigatorPath), fs::perms::owner_all);
    ASSERT_TRUE(startNavigator(DefaultNavigatorPath)) << platform::LastError().message;
    const std::u16string ran = std::u16string(DefaultNavigatorPath) + u".ran";
    for (int i = 0; i < 500 && device.Get(ran).find('\n') == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(device.Get(ran), "0 \\My Flash Disk\\Navigation\\mnavdce.exe\n");

    EXPECT_FALSE(startNavigator(u"\\My Flash Disk\\Navigation\\fehlt.exe"));
    EXPECT_EQ(platform::LastError().code, platform::ErrorCode::FileNotFound);
    EXPECT_FALSE(startNavigator(u""));
}

TEST(MemoryDivision, ShowsTheDivisionInKilobytes) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    auto division = platform::GetSystemMemoryDivision();
    ASSERT_TRUE(division);
    ASSERT_TRUE(setMemoryDivision(0));
    const auto lines = platform::TranscriptLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string text =
        "Storage " + std::to_string(division->storePages * division->pageSize / 1024) + ", Ram " +
        std::to_string(division->programPages * division->pageSize / 1024);
    EXPECT_EQ(lines[0],
              "messagebox caption=\"Memory\" text=\"" + text + "\" buttons=Ok icon=None answer=Ok");

    platform::TranscriptClear();
    EXPECT_FALSE(setMemoryDivision(2048)); // this host cannot move memory
    const uint64_t pages = 2048 * 1024 / division->pageSize;
    EXPECT_EQ(platform::TranscriptLines(),
              std::vector<std::string>{"memorydivision store=" + std::to_string(pages) +
                                       " result=unsupported"});
    platform::TranscriptClear();
    EXPECT_TRUE(setMemoryDivision(-1));
    EXPECT_TRUE(platform::TranscriptLines().empty());
}
