#include "instruments/GeoPosition.h"
#include "instruments/PositionSource.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;

namespace {

TEST(GeoPosition, NmeaCoordinateFields) {
    struct Case {
        const char* field;
        int degreeDigits;
        std::optional<int32_t> expected;
    } cases[] = {
        {"4807.038", 2, 28870380},     {"01131.000", 3, 6910000},     {"4807", 2, 28870000},
        {"4807.03812", 2, 28870381}, // decimals past the fourth are cut off
        {"4807.", 2, 28870000},        {"", 2, std::nullopt},         {"48", 2, std::nullopt},
        {"48a7.038", 2, std::nullopt}, {"4807,038", 2, std::nullopt}, {"4807.0x8", 2, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseNmeaCoordinate(c.field, c.degreeDigits), c.expected)
            << '"' << c.field << '"';
}

TEST(GeoPosition, FromGgaLines) {
    auto fix = GgaPosition("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    ASSERT_TRUE(fix);
    EXPECT_TRUE(fix->IsValid());
    EXPECT_EQ(fix->Latitude(), 28870380);
    EXPECT_EQ(fix->Longitude(), 6910000);

    auto south = GgaPosition("$GPGGA,123519,3351.000,S,15112.500,W,1,08,0.9,5.4,M,,M,,*47\r\n");
    ASSERT_TRUE(south);
    EXPECT_EQ(south->Latitude(), -(33 * 600000 + 510000));
    EXPECT_EQ(south->Longitude(), -(151 * 600000 + 125000));

    auto empty = GgaPosition("$GPGGA,123519,,,,,0,00,,,M,,M,,*47\r\n");
    ASSERT_TRUE(empty) << "listeners hear about a missing fix too";
    EXPECT_FALSE(empty->IsValid());
    EXPECT_EQ(empty->Latitude(), GeoPosition::Missing);

    // Quality 0 with a made-up position, as some receivers send before a fix.
    auto noFix = GgaPosition(
        "$GPGGA,235946.005,8960.000000,N,00000.000000,E,0,0,,137.000,M,13.000,M,,*49\r\n");
    ASSERT_TRUE(noFix);
    EXPECT_FALSE(noFix->IsValid());

    EXPECT_FALSE(GgaPosition("$GPGGA,123519,4807.038,N,01131.000\r\n")) << "ends before field 5";
}

TEST(GeoPosition, IniText) {
    GeoPosition p;
    EXPECT_TRUE(p.ParseLatitudeText(u"S 48\u00B0 07.0380"));
    EXPECT_TRUE(p.ParseLongitudeText(u"E 011\u00B0 31.0000"));
    EXPECT_TRUE(p.IsValid());
    EXPECT_EQ(p.Latitude(), -28870380);
    EXPECT_EQ(p.Longitude(), 6910000);
    EXPECT_TRUE(p.ParseLongitudeText(u"W 011\u00B0 31.0000"));
    EXPECT_EQ(p.Longitude(), -6910000);

    GeoPosition bad;
    EXPECT_FALSE(bad.ParseLatitudeText(u"N 48\u00B0 7.0380")) << "12 characters";
    EXPECT_FALSE(bad.ParseLatitudeText(u"N 4x\u00B0 07.0380"));
    EXPECT_FALSE(bad.IsValid());
}

TEST(GeoPosition, TextForm) {
    GeoPosition p(28870380, 6910000);
    EXPECT_EQ(p.Text(), u"N 48\u00B0 7.0380' / E 11\u00B0 31.0000'");
    EXPECT_EQ(GeoPosition(-28870380, -6910000).Text(), u"S 48\u00B0 7.0380' / W 11\u00B0 31.0000'");
    char16_t small[10];
    EXPECT_EQ(p.Format(small, 10), 10u);
    EXPECT_EQ(std::u16string(small, 10), u"N 48\u00B0 7.03");
}

TEST(GeoPosition, Projection) {
    EXPECT_EQ(GeoPosition(28870380, 0).Northing(), 535641783);
    EXPECT_EQ(GeoPosition(-28870380, 0).Northing(), -535641783);
    EXPECT_EQ(GeoPosition(600, 0).DistanceTo(GeoPosition(0, 0)), 11132u);
    // At the equator a longitude unit is 11132/600 cm; at 60° half that.
    EXPECT_EQ(GeoPosition(0, 600000).Easting(), 11132000);
    EXPECT_NEAR(GeoPosition(60 * 600000, 600000).Easting(), 5566000, 2);
    // Long distances lose their low bits but stay close.
    const uint32_t d = GeoPosition(0, 0).DistanceTo(GeoPosition(600000, 600000));
    EXPECT_NEAR(static_cast<double>(d), 11132000.0 * 1.41421356, 11132000.0 * 1e-3);
    // Opposite sides of the globe do not overflow: half the equator.
    EXPECT_NEAR(GeoPosition(0, -54000000).DistanceTo(GeoPosition(0, 54000000)), 2003760000.0,
                2003760000.0 * 1e-6);
    // A cached scale must follow the latitude it belongs to.
    GeoPosition a(0, 600000), b(60 * 600000, 600000);
    const int32_t ea = a.Easting();
    a = b;
    EXPECT_EQ(a.Easting(), b.Easting());
    EXPECT_NE(a.Easting(), ea);
}

TEST(GeoPosition, DistancesShareOneScaleAndCrossTheAntimeridian) {
    // 10 km due north at 70.6° W from 33.9° S: each position's own scale
    // would add 4.7 %.
    const GeoPosition south(-339 * 60000, -706 * 60000);
    const GeoPosition north(south.Latitude() + 10'000'00 * 600 / 11132, south.Longitude());
    EXPECT_NEAR(south.DistanceTo(north), 1'000'000.0, 100.0);
    const LocalProjection map(south);
    EXPECT_EQ(map.East(north), 0);
    EXPECT_NEAR(static_cast<double>(map.North(north)), 1'000'000.0, 100.0);
    // 40 m across the 180° meridian at the equator, either way round.
    const int64_t halfWay = 180LL * GeoPosition::UnitsPerDegree;
    const int32_t twentyMetres = 2000 * 600 / 11132;
    const GeoPosition east(0, static_cast<int32_t>(halfWay - twentyMetres));
    const GeoPosition west(0, static_cast<int32_t>(-halfWay + twentyMetres));
    const double apart = 2 * twentyMetres * 11132.0 / 600; // 39.70 m
    EXPECT_NEAR(east.DistanceTo(west), apart, 1.0);
    EXPECT_NEAR(west.DistanceTo(east), apart, 1.0);
    EXPECT_NEAR(static_cast<double>(LocalProjection(east).East(west)), apart, 1.0);
    EXPECT_NEAR(static_cast<double>(LocalProjection(west).East(east)), -apart, 1.0);
    EXPECT_EQ(LocalProjection::WrapLongitude(halfWay), -halfWay);
    EXPECT_EQ(LocalProjection::WrapLongitude(-halfWay - 1), halfWay - 1);
}

struct PositionRecorder : PositionListener {
    std::vector<GeoPosition> positions;
    void OnPosition(const GeoPosition& p) override { positions.push_back(p); }
};

TEST(PositionSource, SendsEveryGgaThatReachesField5) {
    PositionSource source;
    PositionRecorder r;
    source.OnGGA("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    source.AddListener(&r);
    source.OnGGA("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    source.OnGGA("$GPGGA,123520,,,,,0,00,,,M,,M,,*47\r\n");
    source.OnGGA("$GPGGA,123521,4807\r\n");
    source.OnRMC("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
    ASSERT_EQ(r.positions.size(), 2u);
    EXPECT_TRUE(r.positions[0].IsValid());
    EXPECT_FALSE(r.positions[1].IsValid());
}

} // namespace
