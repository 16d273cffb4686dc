#include "Nmea.h"
#include "Drive.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace drivegen;

TEST(NmeaText, SentencesCarryChecksumAndCrLf) {
    EXPECT_EQ(Sentence("GPGSV,1,1,00"), "$GPGSV,1,1,00*79\r\n");
    EXPECT_EQ(Sentence("GPRMC,,V,,,,,,,,,,N"), "$GPRMC,,V,,,,,,,,,,N*53\r\n");
}

TEST(NmeaText, CoordinatesRoundOnceAndCarryIntoTheDegree) {
    EXPECT_EQ(FormatLatitude(54.30658), "5418.3948,N");
    EXPECT_EQ(FormatLatitude(-33.999999999), "3400.0000,S");
    EXPECT_EQ(FormatLongitude(9.999999999), "01000.0000,E");
    EXPECT_EQ(FormatLongitude(-122.5), "12230.0000,W");
    EXPECT_EQ(FormatLongitude(0.0), "00000.0000,E");
}

TEST(Calendar, ParsesOnlyTimesThatExist) {
    EXPECT_EQ(ParseUtc("1970-01-01T00:00:00"), 0);
    EXPECT_EQ(ParseUtc("2024-12-31T23:55:00"), 1735689300);
    EXPECT_EQ(ParseUtc("2024-02-29T12:00:00"), 1709208000);
    for (const char* bad :
         {"2023-02-29T00:00:00", "2024-04-31T00:00:00", "2024-13-01T00:00:00",
          "2024-00-10T00:00:00", "2024-01-01T24:00:00", "2024-01-01T23:60:00",
          "2024-01-01 23:00:00", "2024-01-01T23:00:00Z", "2024-1-01T23:00:00", ""})
        EXPECT_FALSE(ParseUtc(bad)) << bad;
}

TEST(Calendar, TimeAndDateRollOver) {
    const int64_t newYear = *ParseUtc("2025-01-01T00:00:00");
    EXPECT_EQ(FormatTime(newYear - 1) + " " + FormatDate(newYear - 1), "235959.00 311224");
    EXPECT_EQ(FormatTime(newYear) + " " + FormatDate(newYear), "000000.00 010125");
    const int64_t leapDay = *ParseUtc("2024-02-29T00:00:00");
    EXPECT_EQ(FormatDate(leapDay - 1), "280224");
    EXPECT_EQ(FormatDate(leapDay), "290224");
    EXPECT_EQ(FormatDate(leapDay + 86400), "010324");
}

TEST(Dop, MatchesAKnownGeometry) {
    // One satellite overhead and three on the horizon 120 degrees apart:
    // Q = diag(2/3, 2/3, 4/3, ...) for east, north and up.
    std::vector<SatelliteView> sky = {
        {1, 90, 0, 45, true}, {2, 0, 0, 40, true}, {3, 0, 120, 40, true}, {4, 0, 240, 40, true}};
    Dop dop = ComputeDop(sky);
    ASSERT_TRUE(dop.ok);
    EXPECT_NEAR(dop.hdop, std::sqrt(4.0 / 3.0), 1e-9);
    EXPECT_NEAR(dop.vdop, std::sqrt(4.0 / 3.0), 1e-9);
    EXPECT_NEAR(dop.pdop, std::sqrt(8.0 / 3.0), 1e-9);

    sky[3].used = false; // three are not enough
    EXPECT_FALSE(ComputeDop(sky).ok);
    sky[3] = sky[2]; // two in the same place: no solution
    sky[3].used = true;
    EXPECT_FALSE(ComputeDop(sky).ok);
}

TEST(Arguments, ReadsOptionsAndRejectsBadInput) {
    std::string error;
    auto a = ParseArguments({"--seconds", "30", "--seed", "7", "--start", "2024-02-28T23:59:50",
                             "--gps-ini", "g.ini", "out.nmea"},
                            error);
    ASSERT_TRUE(a) << error;
    EXPECT_EQ(a->drive.seconds, 30);
    EXPECT_EQ(a->drive.seed, 7u);
    EXPECT_EQ(a->drive.start, *ParseUtc("2024-02-28T23:59:50"));
    EXPECT_EQ(a->gpsIni, "g.ini");
    EXPECT_EQ(a->output, "out.nmea");

    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--seconds", "0", "x"},
        {"--seconds", "10x", "x"},
        {"--seconds", "-5", "x"},
        {"--seconds", "86401", "x"},
        {"--seed", "-1", "x"},
        {"--start", "2023-02-29T00:00:00", "x"},
        {"x", "--seed"},
        {"--speed", "2", "x"},
        {"a.nmea", "b.nmea"},
    };
    for (const auto& args : bad) {
        error.clear();
        EXPECT_FALSE(ParseArguments(args, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(GpsIni, IsUtf16WithBomAndCrLf) {
    const std::string bytes = GpsIni(1, 4800);
    ASSERT_GE(bytes.size(), 4u);
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::string text;
    for (size_t i = 2; i < bytes.size(); i += 2) {
        ASSERT_EQ(bytes[i + 1], '\0');
        text += bytes[i];
    }
    EXPECT_EQ(text.rfind("[GPS-Settings]\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nComPort = 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nBaudRate = 4800\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            EXPECT_EQ(text[i - 1], '\r') << "bare LF at " << i;
        }
}
