#pragma once
// Where the sun stands, and when it crosses a given elevation, for a place
// and a UTC instant. Pure arithmetic after the usual low-precision solar
// formulas (about a minute of time at mid latitudes), enough to tell day
// from night.
#include <cstdint>

namespace velvane {

// The sun's centre below the horizon when civil twilight ends: dark enough
// for a night skin.
constexpr double CivilTwilight = -6.0;
// Sunrise and sunset as almanacs give them: the upper limb on the horizon,
// with refraction.
constexpr double SunriseElevation = -0.833;

// Degrees above the horizon (negative below) at unixMs, milliseconds since
// 1970 UTC; latitude north and longitude east positive, in degrees.
double SolarElevation(int64_t unixMs, double latitude, double longitude);

struct SunCrossings {
    enum class Kind {
        RisesAndSets, // rise and set below are valid
        AlwaysAbove,  // the sun stays above the elevation all day
        AlwaysBelow,  // ... or below it
    };
    Kind kind = Kind::RisesAndSets;
    // Minutes after 00:00 UTC of the given date; may fall before 0 or after
    // 1440 far from Greenwich.
    double rise = 0;
    double set = 0;
};

// When the sun passes elevation on the UTC date year-month-day at the place,
// around the local noon of that date.
SunCrossings SunTimes(int year, int month, int day, double latitude, double longitude,
                      double elevation);

} // namespace velvane
