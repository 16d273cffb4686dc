#include "gps/NmeaField.h"
#include "gps/AltitudeSource.h"
#include "gps/SpeedSource.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace velvane;

namespace {

const std::string Rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

std::string RmcWithSpeed(const std::string& speed) {
    return "$GPRMC,123519,A,4807.038,N,01131.000,E," + speed + ",084.4,230394,003.1,W*6A\r\n";
}
std::string VtgWithSpeed(const std::string& speed) {
    return "$GPVTG,054.7,T,034.4,M,005.5,N," + speed + ",K*48\r\n";
}
std::string GgaWithAltitude(const std::string& alt) {
    return "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9," + alt + ",M,46.9,M,,*47\r\n";
}

TEST(NmeaField, FindsFieldsByCommaCount) {
    EXPECT_EQ(FindNmeaField(Rmc, 0), 0u);
    EXPECT_EQ(FindNmeaField(Rmc, 1), 7u);
    EXPECT_EQ(NmeaField(Rmc, 7), "022.4");
    EXPECT_EQ(NmeaField(Rmc, 11), "W"); // checksum and CR LF are not part of it
    EXPECT_EQ(NmeaField(Rmc, 12), std::nullopt);
    EXPECT_EQ(NmeaField("$GPVTG,,T", 1), "");
    // A comma as the very last byte leaves no field behind it.
    EXPECT_EQ(FindNmeaField("$GPVTG,", 1), std::nullopt);
    EXPECT_EQ(FindNmeaField("", 0), std::nullopt);
}

TEST(NmeaField, ReadsFixedPointSoundly) {
    struct Case {
        const char* text;
        int decimals;
        std::optional<int32_t> expected;
    } cases[] = {
        {"12.34", 2, 1234},
        {"12.3", 2, 1230},
        {"12", 2, 1200},
        {"12.345", 2, 1234},
        {".5", 1, 5},
        {"-12.3", 1, -123},
        {"-12.37", 1, -123},
        {"+7", 1, 70},
        {"0.00", 2, 0},
        {"", 1, std::nullopt},
        {"-", 1, std::nullopt},
        {".", 1, std::nullopt},
        {"1a.2", 1, std::nullopt},
        {"1.2.3", 1, std::nullopt},
        {"99999999999999", 1, INT32_MAX},
        {"-99999999999.9", 1, -INT32_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadFixedPoint(c.text, c.decimals), c.expected)
            << '"' << c.text << "\" with " << c.decimals;
    EXPECT_EQ(ReadLeadingInteger("1.8"), 1);
    EXPECT_EQ(ReadLeadingInteger("-3x"), -3);
    EXPECT_EQ(ReadLeadingInteger(""), std::nullopt);
}

TEST(NmeaField, SpeedsInTenthsOfKmh) {
    struct Case {
        std::string field;
        int32_t rmc;
        int32_t vtg;
    } cases[] = {
        {"12.34", 228, 123}, {"5.1", 94, 51},    {"0.00", 0, 0},
        {"", 0, 0},          {"22.8", 422, 228}, {"10", 185, 100},
        {"5.19999", 96, 51}, {"-12.3", 0, 0},    {"garbage", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RmcSpeed(RmcWithSpeed(c.field)), c.rmc) << "RMC speed field \"" << c.field << '"';
        EXPECT_EQ(VtgSpeed(VtgWithSpeed(c.field)), c.vtg) << "VTG speed field \"" << c.field << '"';
    }
    // Old receivers send VTG without unit fields: no field 7 reads as standing still.
    EXPECT_EQ(VtgSpeed("$GPVTG,054.7,034.4,005.5,010.2*48\r\n"), 0);
    EXPECT_EQ(RmcSpeed("$GPRMC,123519,A\r\n"), 0);
}

TEST(NmeaField, AltitudeInTenthsOfMetres) {
    struct Case {
        std::string field;
        std::optional<int32_t> expected;
    } cases[] = {
        {"545.4", 5454}, {"512.3", 5123}, {"512.34", 5123},   {"545", 5450},
        {"-12.3", -123}, {"-0.5", -5},    {"", std::nullopt}, {"x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GgaAltitude(GgaWithAltitude(c.field)), c.expected)
            << "altitude field \"" << c.field << '"';
    EXPECT_EQ(GgaAltitude("$GPGGA,123519,,,,,0,00,,\r\n"), std::nullopt);
}

struct SpeedRecorder : SpeedListener {
    std::vector<int32_t> speeds;
    void OnSpeed(int32_t speed) override { speeds.push_back(speed); }
};

struct AltitudeRecorder : AltitudeListener {
    std::vector<int32_t> altitudes;
    void OnAltitude(int32_t altitude) override { altitudes.push_back(altitude); }
};

TEST(ValueSources, EachVariantReadsOnlyItsSentence) {
    auto rmc = SpeedSource::Create(1);
    auto vtg = SpeedSource::Create(0);
    EXPECT_EQ(SpeedSource::Create(7)->GetProtocol(), SpeedSource::Protocol::VTG);
    SpeedRecorder fromRmc, fromVtg;
    rmc->AddListener(&fromRmc);
    vtg->AddListener(&fromVtg);
    for (SpeedSource* s : {rmc.get(), vtg.get()}) {
        s->OnRMC(RmcWithSpeed("12.34"));
        s->OnVTG(VtgWithSpeed("22.8"));
        s->OnVTG(VtgWithSpeed(""));
        s->OnGGA(GgaWithAltitude("1.0"));
    }
    EXPECT_EQ(fromRmc.speeds, (std::vector<int32_t>{228}));
    EXPECT_EQ(fromVtg.speeds, (std::vector<int32_t>{228, 0}));
}

TEST(ValueSources, AltitudeOnlyWhenTheFieldIsThere) {
    AltitudeSource source;
    AltitudeRecorder a, b;
    source.AddListener(&a);
    source.AddListener(&b);
    source.OnGGA(GgaWithAltitude("-12.3"));
    source.OnGGA(GgaWithAltitude(""));
    source.OnGGA(GgaWithAltitude("545.4"));
    EXPECT_EQ(a.altitudes, (std::vector<int32_t>{-123, 5454}));
    EXPECT_EQ(b.altitudes, a.altitudes);
}

} // namespace
