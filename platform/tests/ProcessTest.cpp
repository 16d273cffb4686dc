#include "platform/process.h"
#include "platform/error.h"
#include "platform/memory.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using platform::testing::TempDevice;
namespace fs = std::filesystem;

namespace {

// Waits up to five seconds for a started program to write its file.
std::string AwaitFile(const TempDevice& device, std::u16string_view path) {
    for (int i = 0; i < 500; ++i) {
        std::string text = device.Get(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return device.Get(path);
}

void PutProgram(const TempDevice& device, std::u16string_view path, std::string_view text,
                fs::perms perms = fs::perms::owner_all) {
    device.Put(path, text);
    fs::permissions(device.HostPath(path), perms);
}

// Writes its arguments, one a line, and who it is to \out.txt beside the tree.
const char* const Recorder = "#!/bin/sh\n"
                             "out=\"$(dirname \"$0\")/../out.txt\"\n"
                             "for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done > \"$out.tmp\"\n"
                             "printf 'program=%s\\n' \"$CE_PROGRAM\" >> \"$out.tmp\"\n"
                             "mv \"$out.tmp\" \"$out\"\n";

} // namespace

TEST(Process, StartsTheHostFileWithItsArguments) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    PutProgram(device, u"\\Navi\\navi.exe", Recorder);
    ASSERT_TRUE(platform::StartProgram(u"\\navi\\NAVI.EXE", u"-ziel \\My Documents\\a b.3na"))
        << platform::LastError().message;
    EXPECT_EQ(AwaitFile(device, u"\\out.txt"),
              "arg=-ziel \\My Documents\\a b.3na\nprogram=\\navi\\NAVI.EXE\n");
    ASSERT_EQ(platform::TranscriptLines().size(), 1u);
    EXPECT_EQ(platform::TranscriptLines()[0],
              "start program=\"\\\\navi\\\\NAVI.EXE\" arguments=\"-ziel \\\\My Documents\\\\a "
              "b.3na\" result=ok");

    // Without arguments the program gets none; a script without "#!" runs too.
    fs::remove(device.HostPath(u"\\out.txt"));
    PutProgram(device, u"\\Navi\\plain.exe", std::string(Recorder).substr(10));
    ASSERT_TRUE(platform::StartProgram(u"\\Navi\\plain.exe")) << platform::LastError().message;
    EXPECT_EQ(AwaitFile(device, u"\\out.txt"), "program=\\Navi\\plain.exe\n");
}

TEST(Process, FailuresReachTheCaller) {
    TempDevice device;
    PutProgram(device, u"\\Navi\\data.exe", Recorder,
               fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(device.HostPath(u"\\Navi\\folder.exe"));
    PutProgram(device, u"\\Navi\\broken.exe", "#!/nowhere/interpreter\n");
    struct {
        std::u16string_view path;
        platform::ErrorCode code;
    } cases[] = {
        {u"\\Navi\\missing.exe", platform::ErrorCode::FileNotFound},
        {u"\\Navi\\data.exe", platform::ErrorCode::AccessDenied},
        {u"\\Navi\\folder.exe", platform::ErrorCode::AccessDenied},
        {u"\\Navi\\broken.exe", platform::ErrorCode::FileNotFound},
        {u"\\..\\outside.exe", platform::ErrorCode::InvalidParameter},
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        EXPECT_FALSE(platform::StartProgram(c.path)) << platform::LastError().message;
        EXPECT_EQ(platform::LastError().code, c.code) << platform::LastError().message;
        ASSERT_EQ(platform::TranscriptLines().size(), 1u);
        EXPECT_NE(platform::TranscriptLines()[0].find("result=failed reason="), std::string::npos)
            << platform::TranscriptLines()[0];
    }
}

TEST(Memory, DivisionIsTheHostsStorageAndRam) {
    TempDevice device;
    auto division = platform::GetSystemMemoryDivision();
    ASSERT_TRUE(division) << platform::LastError().message;
    ASSERT_GT(division->pageSize, 0u);
    // The same figures as the host's own reports, within a page.
    const uint64_t capacity = fs::space(device.Root()).capacity;
    EXPECT_LE(capacity - division->storePages * division->pageSize, division->pageSize);
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t totalKb = 0;
    while (meminfo >> key && key != "MemTotal:")
        meminfo.ignore(256, '\n');
    meminfo >> totalKb;
    ASSERT_GT(totalKb, 0u);
    EXPECT_EQ(division->programPages * division->pageSize / 1024, totalKb);

    EXPECT_FALSE(platform::SetSystemMemoryDivision(1000));
    EXPECT_EQ(platform::LastError().code, platform::ErrorCode::NotSupported);
    EXPECT_EQ(platform::TranscriptLines(),
              std::vector<std::string>{"memorydivision store=1000 result=unsupported"});
}
