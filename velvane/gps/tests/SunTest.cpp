#include "gps/Sun.h"

#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velvane;

namespace {

// Minutes after 00:00 UTC of the date asked for; an earlier UTC day is
// negative.
constexpr double At(int hour, int minute) {
    return hour * 60.0 + minute;
}

int64_t UnixMs(int year, int month, int day, double minutes) {
    platform::SystemTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    return platform::ToUnixMilliseconds(t) + static_cast<int64_t>(std::llround(minutes * 60000.0));
}

struct Place {
    const char* name;
    double latitude, longitude;
};
constexpr Place London{"London", 51.5074, -0.1278};
constexpr Place NewYork{"New York", 40.7128, -74.0060};
constexpr Place Sydney{"Sydney", -33.8688, 151.2093};
constexpr Place Longyearbyen{"Longyearbyen", 78.2232, 15.6267};
constexpr Place Tromso{"Tromsø", 69.6492, 18.9553};
constexpr Place McMurdo{"McMurdo", -77.8419, 166.6863};

} // namespace

// Published sunrise and sunset (upper limb on the horizon) from almanac
// tables, converted to UTC, rounded to the minute; they agree within three
// minutes.
TEST(Sun, SunriseAndSunsetMatchTheAlmanac) {
    const struct {
        Place place;
        int year, month, day;
        double rise, set;
    } cases[] = {
        {London, 2025, 6, 21, At(3, 43), At(20, 21)},    // 04:43 and 21:21 BST
        {London, 2025, 12, 21, At(8, 4), At(15, 53)},    // GMT
        {NewYork, 2025, 6, 21, At(9, 25), At(24, 31)},   // 05:25 and 20:31 EDT
        {NewYork, 2025, 12, 21, At(12, 17), At(21, 32)}, // 07:17 and 16:32 EST
        {Sydney, 2025, 12, 21, At(-5, -19), At(9, 5)},   // 05:41 and 20:05 AEDT
        {Sydney, 2025, 6, 21, At(-3, 0), At(6, 54)},     // 07:00 and 16:54 AEST
    };
    for (const auto& c : cases) {
        SunCrossings sun =
            SunTimes(c.year, c.month, c.day, c.place.latitude, c.place.longitude, SunriseElevation);
        SCOPED_TRACE(testing::Message()
                     << c.place.name << " " << c.year << "-" << c.month << "-" << c.day);
        ASSERT_EQ(sun.kind, SunCrossings::Kind::RisesAndSets);
        EXPECT_NEAR(sun.rise, c.rise, 3.0);
        EXPECT_NEAR(sun.set, c.set, 3.0);
    }
}

// The crossing times and the elevation at an instant come from two paths
// through the formulas; at a computed crossing the sun must stand where it
// was asked to, and on the right side of it just before and after.
TEST(Sun, ElevationAtTheCrossingsIsTheOneAskedFor) {
    const Place places[] = {London, NewYork, Sydney, Tromso};
    const int months[] = {1, 3, 6, 9, 12};
    for (const Place& place : places)
        for (int month : months)
            for (double elevation : {SunriseElevation, CivilTwilight}) {
                SunCrossings sun =
                    SunTimes(2026, month, 15, place.latitude, place.longitude, elevation);
                if (sun.kind != SunCrossings::Kind::RisesAndSets)
                    continue;
                SCOPED_TRACE(testing::Message()
                             << place.name << " month " << month << " at " << elevation << "°");
                const int64_t rise = UnixMs(2026, month, 15, sun.rise);
                const int64_t set = UnixMs(2026, month, 15, sun.set);
                EXPECT_NEAR(SolarElevation(rise, place.latitude, place.longitude), elevation, 0.05);
                EXPECT_NEAR(SolarElevation(set, place.latitude, place.longitude), elevation, 0.05);
                const int64_t fiveMinutes = 5 * 60000;
                EXPECT_LT(SolarElevation(rise - fiveMinutes, place.latitude, place.longitude),
                          elevation);
                EXPECT_GT(SolarElevation(rise + fiveMinutes, place.latitude, place.longitude),
                          elevation);
                EXPECT_GT(SolarElevation(set - fiveMinutes, place.latitude, place.longitude),
                          elevation);
                EXPECT_LT(SolarElevation(set + fiveMinutes, place.latitude, place.longitude),
                          elevation);
            }
}

// Polar day and night, in both hemispheres; and a winter at 70° north
// where the sun never rises but civil twilight still brightens the noon.
TEST(Sun, PolarDayAndNight) {
    const struct {
        Place place;
        int month;
        double elevation;
        SunCrossings::Kind kind;
    } cases[] = {
        {Longyearbyen, 12, CivilTwilight, SunCrossings::Kind::AlwaysBelow},
        {Longyearbyen, 6, CivilTwilight, SunCrossings::Kind::AlwaysAbove},
        {Longyearbyen, 6, SunriseElevation, SunCrossings::Kind::AlwaysAbove},
        {McMurdo, 12, CivilTwilight, SunCrossings::Kind::AlwaysAbove},
        {McMurdo, 6, CivilTwilight, SunCrossings::Kind::AlwaysBelow},
        {Tromso, 12, SunriseElevation, SunCrossings::Kind::AlwaysBelow},
        {Tromso, 12, CivilTwilight, SunCrossings::Kind::RisesAndSets},
        {Tromso, 6, SunriseElevation, SunCrossings::Kind::AlwaysAbove},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.place.name << " month " << c.month << " at " << c.elevation << "°");
        SunCrossings sun =
            SunTimes(2025, c.month, 21, c.place.latitude, c.place.longitude, c.elevation);
        EXPECT_EQ(sun.kind, c.kind);
        // The elevation at every hour agrees.
        for (int hour = 0; hour < 24; ++hour) {
            double e = SolarElevation(UnixMs(2025, c.month, 21, hour * 60.0), c.place.latitude,
                                      c.place.longitude);
            if (c.kind == SunCrossings::Kind::AlwaysAbove) {
                EXPECT_GT(e, c.elevation) << "hour " << hour;
            } else if (c.kind == SunCrossings::Kind::AlwaysBelow) {
                EXPECT_LT(e, c.elevation) << "hour " << hour;
            }
        }
    }
}
