// What each component shows in each unit system: the values that arrive in
// km/h, centimetres and metres are converted only where they are drawn.
#include "instruments/AltitudeChart.h"
#include "instruments/AverageSpeed.h"
#include "instruments/GeoCacheOverlay.h"
#include "instruments/Odometer.h"
#include "instruments/SpeedChart.h"
#include "instruments/SpeedoView.h"
#include "instruments/TopSpeed.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

std::u16string Text(TextOverlay& overlay) {
    char16_t buffer[64];
    return std::u16string(buffer, overlay.FormatText(buffer, 64));
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

std::optional<int32_t> Newest(const ChartEngine& chart) {
    int32_t v;
    ChartEngine::Sample first;
    if (!chart.ColumnValue(chart.GetLayout().columns - 1, v, first))
        return std::nullopt;
    return v;
}

std::string Bytes(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

struct System {
    UnitSystem system;
    const char* name;
};
const System Systems[] = {{UnitSystem::Metric, "metric"},
                          {UnitSystem::Imperial, "imperial"},
                          {UnitSystem::Nautical, "nautical"}};

class UnitsShownTest : public ::testing::Test {
protected:
    void SetUp() override { platform::TranscriptClear(); }
    std::u16string Skin(const std::u16string& lines) {
        m_device.Put(u"\\Skins\\Fahrt.ini", Utf16File(u"[Settings]\r\nSize = 30\r\n" + lines));
        return u"\\Skins\\Fahrt.ini";
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
};

} // namespace

TEST_F(UnitsShownTest, SpeedOverlays) {
    struct Case {
        UnitSystem system;
        const char16_t *none, *top, *average;
    };
    // 100 km/h at most, 60 km/h on average.
    const Case cases[] = {
        {UnitSystem::Metric, u"-.-km/h", u"100.0km/h", u"60.0 Ø"},
        {UnitSystem::Imperial, u"-.-mph", u"62.1mph", u"37.3 Ø"},
        {UnitSystem::Nautical, u"-.-kn", u"54.0kn", u"32.4 Ø"},
    };
    for (const Case& c : cases) {
        m_screen.SetUnits(Units(c.system));
        TopSpeed top(m_screen, 240, 320);
        AverageSpeed average(m_screen, 240, 320);
        ASSERT_TRUE(top.Load(Skin(u"")));
        ASSERT_TRUE(average.Load(Skin(u"")));
        EXPECT_EQ(Text(top), c.none) << Narrow(c.top);
        for (int32_t v : {200, 1000, 600}) {
            top.OnSpeed(v);
            average.OnSpeed(v);
        }
        EXPECT_EQ(Text(top), c.top) << Narrow(c.top);
        EXPECT_EQ(Text(average), c.average) << Narrow(c.average);
        // What is kept stays in km/h, whatever is shown.
        EXPECT_EQ(top.Maximum(), 1000);
    }
}

TEST_F(UnitsShownTest, OdometerShowsItsUnitAndKeepsCentimetresInItsFile) {
    struct Case {
        UnitSystem system;
        uint32_t total;
        const char16_t* text;
    };
    const Case cases[] = {
        {UnitSystem::Metric, 4299000, u"42.99km"}, {UnitSystem::Imperial, 4299000, u"26.71mi"},
        {UnitSystem::Imperial, 9144, u"300ft"},    {UnitSystem::Nautical, 4299000, u"23.21nm"},
        {UnitSystem::Nautical, 9144, u"0.04nm"},
    };
    for (const Case& c : cases) {
        m_screen.SetUnits(Units(c.system));
        m_device.Put(u"\\Skins\\Fahrt_milage.sav", Bytes(c.total));
        {
            Odometer odometer(m_screen, 240, 320);
            ASSERT_TRUE(odometer.Load(Skin(u"[Odometer]\r\nSaveMileage = y\r\n")));
            EXPECT_EQ(Text(odometer), c.text) << Narrow(c.text);
            EXPECT_EQ(odometer.Total(), c.total);
        }
        // Saved when it went: the same four bytes of centimetres.
        EXPECT_EQ(m_device.Get(u"\\Skins\\Fahrt_milage.sav"), Bytes(c.total)) << Narrow(c.text);
    }
}

TEST_F(UnitsShownTest, DestinationDistance) {
    // N 10°, E 10°, and a place 100002 cm north of it.
    m_device.Put(u"\\Skins\\geo.ini",
                 Utf16File(u"[Coordinates]\r\nLatitude = N 10\u00B0 00.0000\r\n"
                           u"Longitude = E 010\u00B0 00.0000\r\n"));
    const GeoPosition destination(6000000, 6000000);
    const GeoPosition here(6005390, 6000000);
    ASSERT_EQ(destination.DistanceTo(here), 100002u);
    struct Case {
        UnitSystem system;
        const char16_t* text;
    };
    for (const Case& c :
         {Case{UnitSystem::Metric, u"1.00km"}, Case{UnitSystem::Imperial, u"0.62mi"},
          Case{UnitSystem::Nautical, u"0.53nm"}}) {
        m_screen.SetUnits(Units(c.system));
        GeoCacheOverlay overlay(m_screen, 240, 320);
        ASSERT_TRUE(overlay.Load(u"\\Skins\\geo.ini"));
        overlay.OnPosition(here);
        EXPECT_EQ(overlay.DistanceText(), c.text) << Narrow(c.text);
    }
}

TEST_F(UnitsShownTest, ChartsLabelAndConvertTheirValues) {
    struct Case {
        UnitSystem system;
        const char16_t *speedUnit, *altitudeUnit;
        int32_t speed, altitude; // 100 km/h and 304.8 m in whole units
    };
    const Case cases[] = {
        {UnitSystem::Metric, u"[km/h]", u"[m]", 100, 304},
        {UnitSystem::Imperial, u"[mph]", u"[ft]", 62, 1000},
        {UnitSystem::Nautical, u"[kn]", u"[m]", 54, 304},
    };
    for (const Case& c : cases) {
        m_screen.SetUnits(Units(c.system));
        SpeedChart speed(m_screen, 240, 320);
        AltitudeChart altitude(m_screen, 240, 320);
        EXPECT_EQ(speed.Chart().UnitLabel(), c.speedUnit);
        EXPECT_EQ(altitude.Chart().UnitLabel(), c.altitudeUnit);
        // A new chart type keeps the label.
        m_device.Put(u"\\Skins\\chart.ini", Utf16File(u"[Settings]\r\nChartType = LineChart\r\n"));
        ASSERT_TRUE(speed.Load(u"\\Skins\\chart.ini"));
        EXPECT_EQ(speed.Chart().UnitLabel(), c.speedUnit);
        speed.OnSpeed(1000);
        altitude.OnAltitude(3048);
        EXPECT_EQ(Newest(speed.Chart()), c.speed) << Narrow(c.speedUnit);
        EXPECT_EQ(Newest(altitude.Chart()), c.altitude) << Narrow(c.altitudeUnit);
    }
}

TEST_F(UnitsShownTest, SpeedometerDigitsNeedleAndUnitText) {
    // The unit text sits in the lowest rows of the default 240x320 dial;
    // the scale above it counts in the shown unit and looks the same.
    const int unitTop = 320 - 1 - 26;
    auto inkIn = [](const platform::Canvas& c, int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.GetPixel(x, y) == platform::Rgb(0, 0, 0) ? 1 : 0;
        return n;
    };
    m_screen.SetUnits(Units(UnitSystem::Metric));
    SpeedoView metric(m_screen, 240, 320);
    ASSERT_TRUE(metric.Surface());
    const int metricUnitInk = inkIn(*metric.Surface(), unitTop, 320);
    ASSERT_GT(metricUnitInk, 0) << "no unit text drawn";

    struct Case {
        UnitSystem system;
        uint32_t speed;
        const char16_t* digits;
    };
    for (const Case& c : {Case{UnitSystem::Imperial, 621, u" 062.1 "},
                          Case{UnitSystem::Nautical, 540, u" 054.0 "}}) {
        m_screen.SetUnits(Units(c.system));
        SpeedoView view(m_screen, 240, 320);
        view.OnSpeed(1000);
        EXPECT_EQ(view.Speed(), c.speed);
        EXPECT_EQ(view.DigitalText(), c.digits);
        // The needle stands where the same scale points at that number.
        m_screen.SetUnits(Units(UnitSystem::Metric));
        metric.OnSpeed(static_cast<int32_t>(c.speed));
        EXPECT_EQ(view.NeedleTip(), metric.NeedleTip());
        EXPECT_NE(view.NeedleTip(), view.PointAt(view.NeedleOffset(1000), view.NeedleLength()));
        ASSERT_TRUE(view.Surface());
        EXPECT_EQ(inkIn(*view.Surface(), 0, unitTop), inkIn(*metric.Surface(), 0, unitTop));
        const int unitInk = inkIn(*view.Surface(), unitTop, 320);
        EXPECT_GT(unitInk, 0);
        EXPECT_NE(unitInk, metricUnitInk) << "the unit text did not change";
    }
}
