#include "platform/error.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/testing/temp_device.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace platform;
using namespace std::chrono_literals;
using platform::testing::TempDevice;

TEST(FileLock, OneHolderAtATimeAndNothingLeftBehind) {
    TempDevice device;
    ASSERT_TRUE(CreateDirectory(u"\\Windows"));
    auto first = FileLock::Acquire(u"\\Windows\\tempreg0.tmp", 0ms);
    ASSERT_TRUE(first) << LastError().message;

    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(FileLock::Acquire(u"\\Windows\\tempreg0.tmp", 100ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms) << "it did not wait";
    EXPECT_EQ(LastError().code, ErrorCode::Timeout);
    EXPECT_NE(LastError().message.find("\\Windows\\tempreg0.tmp"), std::string::npos)
        << LastError().message;
    // Another file has a lock of its own.
    EXPECT_TRUE(FileLock::Acquire(u"\\Windows\\other.tmp", 0ms));

    first.reset();
    EXPECT_TRUE(std::filesystem::is_empty(device.HostPath(u"\\Windows"))) << "the lock file stayed";
    auto second = FileLock::Acquire(u"\\Windows\\tempreg0.tmp", 0ms);
    EXPECT_TRUE(second) << LastError().message;

    EXPECT_FALSE(FileLock::Acquire(u"\\No Folder\\x.tmp", 0ms));
    EXPECT_FALSE(FileLock::Acquire(u"relative.tmp", 0ms));
}
