#include "files/Coordinate.h"

#include "platform/text.h"

#include <gtest/gtest.h>

using lokaro::parseCoordinate;

namespace {
// The divisor of seconds: two units in the last place above 3600.
constexpr double DeviceSeconds = 0x1.c200000000002p+11;
} // namespace

TEST(Coordinate, ReadsEveryNotation) {
    struct {
        std::u16string_view text;
        double expected;
    } cases[] = {
        {u"48.1372", 48.1372},
        {u"-11.5", -11.5},
        {u"  7.25", 7.25},
        {u"+7.25", 7.25},
        {u"1.5e1", 15},
        {u"48°8.232", 48 + 8.232 / 60},
        {u"48°8'13.9", 48 + 8.0 / 60 + 13.9 / DeviceSeconds},
        {u"48°8'13.9\"", 48 + 8.0 / 60 + 13.9 / DeviceSeconds},
        {u"-48°8", -(48 + 8.0 / 60)},
        {u"-48°8'30", -(48 + 8.0 / 60 + 30 / DeviceSeconds)},
        {u"48'30", 48 + 30 / DeviceSeconds}, // seconds without minutes
        {u"48° 30", 48.5},                   // blanks before a number are skipped
        {u"12°", 12},
        {u"12abc", 12},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(parseCoordinate(c.text), c.expected) << platform::ToUtf8(c.text);
}

TEST(Coordinate, SecondsUseTheDevicesDivisor) {
    EXPECT_EQ(parseCoordinate(u"0'1"), 1 / DeviceSeconds);
    EXPECT_NE(parseCoordinate(u"0'1"), 1 / 3600.0);
}

TEST(Coordinate, WestOfZeroKeepsItsSign) {
    // "-0" is negative zero: the minutes and seconds still lie west or south.
    EXPECT_DOUBLE_EQ(parseCoordinate(u"-0°7'39"), -(7.0 / 60 + 39 / DeviceSeconds));
    EXPECT_DOUBLE_EQ(parseCoordinate(u"-0.5"), -0.5);
}

TEST(Coordinate, TextThatIsNoNumberYieldsZero) {
    for (std::u16string_view text :
         {u"", u"-", u".", u"abc", u"inf", u"nan", u"0x1p4", u"1e999", u"-1e999", u"°", u"'"}) {
        EXPECT_EQ(parseCoordinate(text), 0) << platform::ToUtf8(text);
    }
    // What follows the marks still counts, as on the device.
    EXPECT_DOUBLE_EQ(parseCoordinate(u"°30"), 0.5);
    // A sum past the largest double is no coordinate either.
    EXPECT_EQ(parseCoordinate(u"1.79e308°1e308"), 0);
}
