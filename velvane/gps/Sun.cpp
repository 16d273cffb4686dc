#include "gps/Sun.h"

#include <cmath>

namespace velvane {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Rad = Pi / 180.0;
constexpr double MsPerDay = 86400000.0;
// 2000-01-01 12:00 UTC in milliseconds since 1970.
constexpr double J2000Ms = 946728000000.0;

struct SunPlace {
    double declination;    // degrees
    double equationOfTime; // minutes, apparent minus mean solar time
};

// Days since J2000.0 to declination and equation of time.
SunPlace SunAt(double days) {
    const double meanLongitude = std::fmod(280.460 + 0.9856474 * days, 360.0);
    const double meanAnomaly = std::fmod(357.528 + 0.9856003 * days, 360.0) * Rad;
    const double eclipticLongitude =
        (meanLongitude + 1.915 * std::sin(meanAnomaly) + 0.020 * std::sin(2 * meanAnomaly)) * Rad;
    const double obliquity = (23.439 - 0.0000004 * days) * Rad;
    const double rightAscension =
        std::atan2(std::cos(obliquity) * std::sin(eclipticLongitude), std::cos(eclipticLongitude));
    const double declination = std::asin(std::sin(obliquity) * std::sin(eclipticLongitude));
    // Mean longitude minus right ascension, folded into -180..180 degrees.
    double difference = meanLongitude - rightAscension / Rad;
    difference = std::remainder(difference, 360.0);
    return {declination / Rad, 4.0 * difference};
}

int64_t DaysFromCivil(int year, int month, int day) {
    // Days since 1970-01-01 in the proleptic Gregorian calendar.
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The hour angle in degrees at which the sun stands at elevation, or NaN with
// the sign telling above (+) or below (-) all day.
double HourAngle(double latitude, double declination, double elevation, int& outside) {
    const double cosine =
        (std::sin(elevation * Rad) - std::sin(latitude * Rad) * std::sin(declination * Rad)) /
        (std::cos(latitude * Rad) * std::cos(declination * Rad));
    outside = cosine < -1.0 ? 1 : cosine > 1.0 ? -1 : 0;
    if (outside != 0)
        return 0;
    return std::acos(cosine) / Rad;
}

} // namespace

double SolarElevation(int64_t unixMs, double latitude, double longitude) {
    const double days = (static_cast<double>(unixMs) - J2000Ms) / MsPerDay;
    const SunPlace sun = SunAt(days);
    const double minutesOfDay = std::fmod(static_cast<double>(unixMs), MsPerDay) / 60000.0;
    // Apparent solar time at the place, as an hour angle from local noon.
    const double solarMinutes = minutesOfDay + sun.equationOfTime + 4.0 * longitude;
    const double hourAngle = (solarMinutes / 4.0 - 180.0) * Rad;
    const double sine =
        std::sin(latitude * Rad) * std::sin(sun.declination * Rad) +
        std::cos(latitude * Rad) * std::cos(sun.declination * Rad) * std::cos(hourAngle);
    return std::asin(std::fmax(-1.0, std::fmin(1.0, sine))) / Rad;
}

SunCrossings SunTimes(int year, int month, int day, double latitude, double longitude,
                      double elevation) {
    const double midnightMs = static_cast<double>(DaysFromCivil(year, month, day)) * MsPerDay;
    SunCrossings result;
    // Each crossing is refined once with the sun's place at its own time;
    // that is worth a minute near the solstices.
    auto crossing = [&](double sign) {
        double minutes = 720.0 - 4.0 * longitude;
        for (int round = 0; round < 3; ++round) {
            const SunPlace sun = SunAt((midnightMs + minutes * 60000.0 - J2000Ms) / MsPerDay);
            int outside = 0;
            const double angle = HourAngle(latitude, sun.declination, elevation, outside);
            if (outside != 0) {
                result.kind =
                    outside > 0 ? SunCrossings::Kind::AlwaysAbove : SunCrossings::Kind::AlwaysBelow;
                return 0.0;
            }
            minutes = 720.0 - 4.0 * longitude - sun.equationOfTime + sign * 4.0 * angle;
        }
        return minutes;
    };
    result.rise = crossing(-1.0);
    if (result.kind != SunCrossings::Kind::RisesAndSets)
        return result;
    result.set = crossing(+1.0);
    return result;
}

} // namespace velvane
