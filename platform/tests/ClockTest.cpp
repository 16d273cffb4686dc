#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Clock, VirtualTicksMoveOnlyWhenToldAndWrapAt32Bits) {
    platform::testing::TempDevice device;
    uint32_t start = GetTickCount();
    EXPECT_EQ(GetTickCount(), start);
    headless::AdvanceClock(250);
    EXPECT_EQ(GetTickCount() - start, 250u);
    headless::SetTickCount(0xFFFFFF00u);
    headless::AdvanceClock(0x200);
    EXPECT_EQ(GetTickCount(), 0x100u);
}

TEST(Clock, CalendarConversionsAgree) {
    struct {
        int64_t ms;
        SystemTime t;
    } cases[] = {
        {0, {1970, 1, 4, 1, 0, 0, 0, 0}},
        {951782400000, {2000, 2, 2, 29, 0, 0, 0, 0}},
        {1798761599999, {2026, 12, 4, 31, 23, 59, 59, 999}},
        {-1, {1969, 12, 3, 31, 23, 59, 59, 999}},
    };
    for (const auto& c : cases) {
        SystemTime t = FromUnixMilliseconds(c.ms);
        EXPECT_EQ(t.year, c.t.year) << c.ms;
        EXPECT_EQ(t.month, c.t.month) << c.ms;
        EXPECT_EQ(t.day, c.t.day) << c.ms;
        EXPECT_EQ(t.dayOfWeek, c.t.dayOfWeek) << c.ms;
        EXPECT_EQ(t.hour, c.t.hour) << c.ms;
        EXPECT_EQ(t.milliseconds, c.t.milliseconds) << c.ms;
        EXPECT_EQ(ToUnixMilliseconds(c.t), c.ms);
    }
    EXPECT_FALSE(IsValid({2023, 2, 0, 29, 0, 0, 0, 0}));
    EXPECT_TRUE(IsValid({2024, 2, 0, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(IsValid({2024, 13, 0, 1, 0, 0, 0, 0}));
}

TEST(Clock, SettingTheTimeMovesOnlyTheDevicesClock) {
    platform::testing::TempDevice device;
    SystemTime utc{2024, 6, 0, 1, 10, 0, 0, 0};
    ASSERT_TRUE(SetSystemTime(utc));
    headless::AdvanceClock(1500);
    SystemTime now = GetSystemTime();
    EXPECT_EQ(ToUnixMilliseconds(now) - ToUnixMilliseconds(utc), 1500);
    EXPECT_EQ(now.dayOfWeek, 6); // a Saturday
    EXPECT_EQ(TranscriptLines().back(), "settime utc=2024-06-01T10:00:00.000");
    EXPECT_FALSE(SetSystemTime({2024, 2, 0, 30, 0, 0, 0, 0}));
}
