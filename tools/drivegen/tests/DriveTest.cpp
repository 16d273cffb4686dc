// Reads the generated log back as a receiver's consumer would and checks that
// it is well formed and physically consistent.
#include "Drive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

using namespace drivegen;

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text)
        if (c == separator)
            parts.emplace_back();
        else
            parts.back().push_back(c);
    return parts;
}

double Degrees(const std::string& field, const std::string& hemisphere, int degreeDigits) {
    const double value =
        std::stoi(field.substr(0, degreeDigits)) + std::stod(field.substr(degreeDigits)) / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -value : value;
}

struct Read {
    int64_t utc = 0;
    std::vector<std::vector<std::string>> sentences; // fields, field 0 without "$"
    const std::vector<std::string>& Get(const std::string& type) const {
        for (const auto& s : sentences)
            if (s[0] == type)
                return s;
        static const std::vector<std::string> none;
        return none;
    }
    bool Fix() const { return Get("GPRMC")[2] == "A"; }
    double Kmh() const { return std::stod(Get("GPRMC")[7]) * 1.852; }
    double Latitude() const { return Degrees(Get("GPGGA")[2], Get("GPGGA")[3], 2); }
    double Longitude() const { return Degrees(Get("GPGGA")[4], Get("GPGGA")[5], 3); }
};

// Checks framing and checksums of every line and groups them into epochs.
std::vector<Read> ReadLog(const std::string& log) {
    std::vector<Read> epochs;
    size_t start = 0;
    while (start < log.size()) {
        const size_t end = log.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "last line without CR LF";
        if (end == std::string::npos)
            break;
        const std::string line = log.substr(start, end - start);
        start = end + 2;
        EXPECT_LE(line.size() + 2, 82u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        const size_t star = line.rfind('*');
        EXPECT_TRUE(line.size() > 3 && line[0] == '$' && star == line.size() - 3) << line;
        if (star != line.size() - 3)
            continue;
        unsigned sum = 0;
        for (size_t i = 1; i < star; ++i)
            sum ^= static_cast<unsigned char>(line[i]);
        EXPECT_EQ(sum, std::strtoul(line.c_str() + star + 1, nullptr, 16)) << line;

        std::vector<std::string> fields = Split(line.substr(1, star - 1), ',');
        if (fields[0] == "GPRMC") {
            epochs.emplace_back();
            const std::string& t = fields[1];
            const std::string& d = fields[9];
            const auto day = DaysFromCivil(2000 + std::stoi(d.substr(4, 2)),
                                           std::stoi(d.substr(2, 2)), std::stoi(d.substr(0, 2)));
            epochs.back().utc = day * 86400 + std::stoi(t.substr(0, 2)) * 3600 +
                                std::stoi(t.substr(2, 2)) * 60 + std::stoi(t.substr(4, 2));
        }
        EXPECT_FALSE(epochs.empty()) << "the log must start with RMC: " << line;
        if (!epochs.empty())
            epochs.back().sentences.push_back(std::move(fields));
    }
    return epochs;
}

double Distance(double lat1, double lon1, double lat2, double lon2) {
    const double a = std::pow(std::sin((lat2 - lat1) * kRad / 2), 2) +
                     std::cos(lat1 * kRad) * std::cos(lat2 * kRad) *
                         std::pow(std::sin((lon2 - lon1) * kRad / 2), 2);
    return 2 * 6371000.0 * std::asin(std::sqrt(a));
}

double AngleBetween(double a, double b) {
    return std::fabs(std::remainder(a - b, 360.0));
}

// Properties every drive must have, whatever its length, seed and start.
void CheckDrive(const DriveOptions& options) {
    SCOPED_TRACE("seed " + std::to_string(options.seed) + ", " + std::to_string(options.seconds) +
                 " s");
    const std::vector<Read> epochs = ReadLog(DriveLog(options));
    ASSERT_EQ(epochs.size(), static_cast<size_t>(options.seconds));
    EXPECT_EQ(epochs.front().utc, options.start);
    for (size_t i = 0; i < epochs.size(); ++i) {
        const Read& e = epochs[i];
        SCOPED_TRACE("epoch " + std::to_string(i));
        ASSERT_GE(e.sentences.size(), 5u);
        const char* order[] = {"GPRMC", "GPVTG", "GPGGA", "GPGSA", "GPGSV"};
        for (size_t k = 0; k < e.sentences.size(); ++k)
            EXPECT_EQ(e.sentences[k][0], order[std::min<size_t>(k, 4)]);
        if (i > 0) {
            EXPECT_EQ(e.utc, epochs[i - 1].utc + 1);
        }
        const auto& rmc = e.Get("GPRMC");
        const auto& vtg = e.Get("GPVTG");
        const auto& gga = e.Get("GPGGA");
        const auto& gsa = e.Get("GPGSA");
        EXPECT_EQ(gga[1], rmc[1]);

        int listed = 0;
        for (int f = 3; f <= 14; ++f)
            listed += !gsa[f].empty();
        if (e.Fix()) {
            EXPECT_NEAR(std::stod(vtg[7]), e.Kmh(), 0.06);
            EXPECT_EQ(vtg[5], rmc[7]);
            EXPECT_EQ(vtg[1], rmc[8]);
            EXPECT_EQ(gga[6], "1");
            EXPECT_EQ(gsa[2], "3");
            EXPECT_EQ(std::stoi(gga[7]), listed);
            EXPECT_GE(listed, 4);
            EXPECT_EQ(gga[8], gsa[16]); // HDOP
        } else {
            // As receivers send it: the clock goes on, every measured field is empty.
            EXPECT_EQ(rmc[2], "V");
            for (int f : {3, 4, 5, 6, 7, 8})
                EXPECT_EQ(rmc[f], "");
            for (int f = 1; f <= 8; ++f)
                EXPECT_EQ(vtg[f], "");
            EXPECT_EQ(gga[6], "0");
            EXPECT_EQ(gga[7], "00");
            for (int f : {2, 3, 4, 5, 9})
                EXPECT_EQ(gga[f], "");
            EXPECT_EQ(gsa[2], "1");
            EXPECT_EQ(listed, 0);
        }
        // GSV: every message names the same count and together they list it.
        size_t inView = 0, blocks = 0;
        for (const auto& s : e.sentences)
            if (s[0] == "GPGSV") {
                inView = std::stoul(s[3]);
                blocks += (s.size() - 4) / 4;
                EXPECT_EQ((s.size() - 4) % 4, 0u);
                for (size_t f = 4; f + 3 < s.size(); f += 4) {
                    EXPECT_LE(std::stoi(s[f + 1]), 90);
                    EXPECT_LT(std::stoi(s[f + 2]), 360);
                }
            }
        EXPECT_EQ(blocks, inView);

        if (i > 0 && e.Fix() && epochs[i - 1].Fix()) {
            const Read& p = epochs[i - 1];
            const double metres =
                Distance(p.Latitude(), p.Longitude(), e.Latitude(), e.Longitude());
            const double expected = (p.Kmh() + e.Kmh()) / 2 / 3.6;
            EXPECT_NEAR(metres, expected, 0.5 + 0.01 * expected);
            if (metres > 8) {
                const double north = (e.Latitude() - p.Latitude()) * kRad * 6371000.0;
                const double east = (e.Longitude() - p.Longitude()) * kRad * 6371000.0 *
                                    std::cos(e.Latitude() * kRad);
                const double bearing = std::atan2(east, north) / kRad;
                const double c1 = std::stod(p.Get("GPRMC")[8]), c2 = std::stod(rmc[8]);
                const double meanCourse = c1 + std::remainder(c2 - c1, 360.0) / 2;
                EXPECT_LT(AngleBetween(bearing, meanCourse), 3.0);
            }
        }
    }
}

} // namespace

TEST(Drive, DefaultDriveIsWellFormedAndConsistent) {
    CheckDrive({});
}

TEST(Drive, LongerDrivesWithOtherSeedsStayConsistent) {
    // Goes round the route many times and crosses a leap day.
    CheckDrive({7200, 7, *ParseUtc("2024-02-28T23:55:00")});
    CheckDrive({5, 99, *ParseUtc("2030-06-30T23:59:58")});
}

TEST(Drive, HasTownMotorwayStopsHillsAndATunnel) {
    const std::vector<Read> epochs = ReadLog(DriveLog({}));
    int town = 0, motorway = 0, stops = 0, longestNoFix = 0, noFix = 0;
    double top = 0, lowest = 1e9, highest = -1e9;
    std::set<std::string> used, inView, hdop, dates;
    for (const Read& e : epochs) {
        dates.insert(e.Get("GPRMC")[9]);
        inView.insert(e.Get("GPGSV")[3]);
        noFix = e.Fix() ? 0 : noFix + 1;
        longestNoFix = std::max(longestNoFix, noFix);
        if (!e.Fix())
            continue;
        const double kmh = e.Kmh(), altitude = std::stod(e.Get("GPGGA")[9]);
        town += kmh >= 28 && kmh <= 50.5;
        motorway += kmh >= 100;
        stops += kmh == 0;
        top = std::max(top, kmh);
        lowest = std::min(lowest, altitude);
        highest = std::max(highest, altitude);
        used.insert(e.Get("GPGGA")[7]);
        hdop.insert(e.Get("GPGGA")[8]);
    }
    EXPECT_GE(town, 120);
    EXPECT_GE(motorway, 120);
    EXPECT_GE(stops, 60);
    EXPECT_GE(top, 120);
    EXPECT_LE(top, 130);
    EXPECT_GE(highest - lowest, 40);
    EXPECT_LT(lowest, 0); // the ramp out of the tunnel is below sea level
    EXPECT_GE(longestNoFix, 30);
    EXPECT_GE(used.size(), 4u);
    EXPECT_GE(inView.size(), 2u);
    EXPECT_GE(hdop.size(), 4u);
    EXPECT_EQ(dates.size(), 2u); // crosses midnight
}

TEST(Drive, SameOptionsGiveTheSameBytes) {
    const DriveOptions options{120, 42, 1700000000};
    EXPECT_EQ(DriveLog(options), DriveLog(options));
    DriveOptions other = options;
    other.seed = 43;
    EXPECT_NE(DriveLog(other), DriveLog(options));
}

TEST(Drive, StartsAnywhereAndCrossesTheEquatorAndTheDateLine) {
    DriveOptions options;
    options.latitude = 0.002;
    options.longitude = 179.995;
    const std::vector<Epoch> epochs = SimulateDrive(options);
    bool south = false, north = false, east = false, west = false;
    for (const Epoch& e : epochs) {
        (e.latitude < 0 ? south : north) = true;
        (e.longitude < 0 ? west : east) = true;
        EXPECT_GE(e.longitude, -180.0);
        EXPECT_LT(e.longitude, 180.0);
    }
    EXPECT_TRUE(south && north && east && west);
    // The same route as at home, so the same length.
    EXPECT_NEAR(DriveLength(epochs), DriveLength(SimulateDrive({})), 1e-6);
    const std::string log = DriveLog(options);
    EXPECT_NE(log.find(",S,"), std::string::npos);
    EXPECT_NE(log.find(",W,"), std::string::npos);
}

TEST(Drive, LengthIsTheSumOfItsSteps) {
    const std::vector<Epoch> epochs = SimulateDrive({});
    ASSERT_EQ(epochs.size(), 600u);
    EXPECT_EQ(epochs.front().travelled, 0.0);
    double sum = 0;
    for (size_t i = 1; i < epochs.size(); ++i) {
        EXPECT_GE(epochs[i].travelled, epochs[i - 1].travelled);
        // A step is at most what the faster of its two speeds covers in a second.
        const double step = epochs[i].travelled - epochs[i - 1].travelled;
        EXPECT_LE(step, std::max(epochs[i].speedKmh, epochs[i - 1].speedKmh) / 3.6 + 1e-9);
        sum += step;
    }
    EXPECT_NEAR(DriveLength(epochs), sum, 1e-6);
    EXPECT_GT(sum, 5000.0);
}

TEST(Drive, OriginOption) {
    std::string error;
    auto parsed = ParseArguments({"--origin", "-33.9,-70.6", "out.nmea"}, error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->drive.latitude, -33.9);
    EXPECT_EQ(parsed->drive.longitude, -70.6);
    for (const char* bad : {"54.3", "54.3;9.6", "91,0", "0,180", "x,1", "1,", ""}) {
        EXPECT_FALSE(ParseArguments({"--origin", bad, "out.nmea"}, error)) << bad;
        EXPECT_NE(error.find("--origin"), std::string::npos);
    }
}
