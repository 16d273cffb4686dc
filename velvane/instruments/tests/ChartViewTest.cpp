#include "instruments/AccelerationChart.h"
#include "instruments/AltitudeChart.h"
#include "instruments/Fps.h"
#include "instruments/SpeedChart.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace velvane;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

// The newest column's value, or nullopt when it is blank.
std::optional<int32_t> Newest(const ChartEngine& chart) {
    int32_t v;
    ChartEngine::Sample first;
    if (!chart.ColumnValue(chart.GetLayout().columns - 1, v, first))
        return std::nullopt;
    return v;
}

struct Sources : ValueSources {
    void AddSpeedListener(SpeedListener* l) override { speed.push_back(l); }
    void RemoveSpeedListener(SpeedListener* l) override { std::erase(speed, l); }
    void AddAltitudeListener(AltitudeListener* l) override { altitude.push_back(l); }
    void RemoveAltitudeListener(AltitudeListener* l) override { std::erase(altitude, l); }
    void AddPositionListener(PositionListener*) override {}
    void RemovePositionListener(PositionListener*) override {}
    void AddSentenceListener(SentenceListener*) override {}
    void RemoveSentenceListener(SentenceListener*) override {}
    std::vector<SpeedListener*> speed;
    std::vector<AltitudeListener*> altitude;
};

class ChartViewTest : public ::testing::Test {
protected:
    void Put(std::u16string_view path, const std::u16string& text) {
        m_device.Put(path, Utf16File(text));
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
};

} // namespace

TEST_F(ChartViewTest, EachViewRegistersWithItsSourceWhileActive) {
    Sources sources;
    {
        ComponentEntryOf<SpeedChart> speed(m_screen, &sources, SpeedChart::Class);
        ComponentEntryOf<AltitudeChart> altitude(m_screen, &sources, AltitudeChart::Class);
        ComponentEntryOf<AccelerationChart> acceleration(m_screen, &sources,
                                                         AccelerationChart::Class);
        for (ComponentEntry* e :
             std::initializer_list<ComponentEntry*>{&speed, &altitude, &acceleration})
            ASSERT_TRUE(e->Activate());
        EXPECT_EQ(sources.speed.size(), 2u);
        EXPECT_EQ(sources.altitude.size(), 1u);
        EXPECT_EQ(speed.GetLabel(), u"Geschw.");
        EXPECT_EQ(altitude.GetLabel(), u"Höhe");
        EXPECT_EQ(acceleration.GetLabel(), u"Beschl.");
        EXPECT_EQ(speed.Instance()->Chart().UnitLabel(), u"[km/h]");
        EXPECT_EQ(altitude.Instance()->Chart().UnitLabel(), u"[m]");
        EXPECT_EQ(acceleration.Instance()->Chart().UnitLabel(), u"[dm/s²]");
        // Before any file a bar chart with its defaults exists.
        EXPECT_EQ(speed.Instance()->Type(), ChartType::Bar);
        EXPECT_EQ(speed.Instance()->Chart().Capacity(),
                  500 + speed.Instance()->Chart().GetLayout().columns);
        speed.Deactivate();
        EXPECT_EQ(sources.speed.size(), 1u);
    }
    EXPECT_TRUE(sources.speed.empty());
    EXPECT_TRUE(sources.altitude.empty());
}

TEST_F(ChartViewTest, ValuesReachTheChartInWholeUnits) {
    SpeedChart speed(m_screen, 480, 272);
    AltitudeChart altitude(m_screen, 480, 272);
    const struct {
        int32_t tenths, whole;
    } cases[] = {{579, 57}, {9, 0}, {0, 0}, {-15, -1}, {-1234, -123}};
    for (const auto& c : cases) {
        speed.OnSpeed(c.tenths);
        altitude.OnAltitude(c.tenths);
        EXPECT_EQ(Newest(speed.Chart()), c.whole) << c.tenths;
        EXPECT_EQ(Newest(altitude.Chart()), c.whole) << c.tenths;
    }
}

TEST_F(ChartViewTest, AccelerationIsTheChangeOfSpeedOverTheTimeBetween) {
    const struct {
        int32_t from, to;
        uint32_t ms;
        int32_t expected; // dm/s²
    } cases[] = {
        {0, 1000, 1000, 277},  // 0 to 100 km/h in a second: 27.7 m/s²
        {1000, 0, 1000, -277}, // braking, truncated towards zero
        {500, 536, 1000, 10},  // 3.6 km/h in a second: 1 m/s²
        {500, 536, 500, 20},
        // Differences that need more than 32 bits once multiplied by 2500.
        {0, 2000000000, 1000000, 555555},
        {-2000000000, 2000000000, 1, std::numeric_limits<int32_t>::max()},
        {2000000000, -2000000000, 1, std::numeric_limits<int32_t>::min()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AccelerationChart::Acceleration(c.from, c.to, c.ms), c.expected)
            << c.from << " -> " << c.to << " in " << c.ms << " ms";

    platform::headless::SetTickCount(10000);
    AccelerationChart chart(m_screen, 480, 272);
    // The first speed only becomes the reference: no leap from a standstill
    // nobody measured.
    platform::headless::AdvanceClock(1000);
    chart.OnSpeed(1000);
    EXPECT_EQ(chart.Chart().Count(), 0);
    platform::headless::AdvanceClock(1000);
    chart.OnSpeed(1036);
    EXPECT_EQ(Newest(chart.Chart()), 10);
    // A second value in the same millisecond changes nothing.
    chart.OnSpeed(5000);
    EXPECT_EQ(chart.Chart().Count(), 1);
    platform::headless::AdvanceClock(500);
    chart.OnSpeed(1000);
    EXPECT_EQ(Newest(chart.Chart()), -20);
    // The counter going back hands nothing on but restarts from there.
    platform::headless::SetTickCount(100);
    chart.OnSpeed(0);
    EXPECT_EQ(chart.Chart().Count(), 2);
    platform::headless::AdvanceClock(1000);
    chart.OnSpeed(72);
    EXPECT_EQ(Newest(chart.Chart()), 20);
}

TEST_F(ChartViewTest, ChangingTheTypeDiscardsTheHistoryAndTheSameTypeKeepsIt) {
    Put(u"\\Skins\\Diagramm\\bar.ini",
        u"[Settings]\r\nChartType = BarChart\r\nChartIni = Achsen\\bar.ini\r\n");
    Put(u"\\Skins\\Diagramm\\Achsen\\bar.ini", u"[Controls]\r\nAdditionalValues = 50\r\n");
    Put(u"\\Skins\\Diagramm\\line.ini", u"[Settings]\r\nChartType = LineChart\r\n");
    SpeedChart view(m_screen, 480, 272);
    ASSERT_TRUE(view.Load(u"\\Skins\\Diagramm\\bar.ini"));
    // The chart's own file was found beside the view's.
    const int columns = view.Chart().GetLayout().columns;
    EXPECT_EQ(view.Chart().Capacity(), 50 + columns);
    for (int i = 0; i < 30; ++i)
        view.OnSpeed(i * 10);
    // Same type: the history stays, the capacity follows the file.
    Put(u"\\Skins\\Diagramm\\Achsen\\bar.ini", u"[Controls]\r\nAdditionalValues = 10\r\n");
    ASSERT_TRUE(view.Load(u"\\Skins\\Diagramm\\bar.ini"));
    EXPECT_EQ(view.Chart().Capacity(), 10 + view.Chart().GetLayout().columns);
    EXPECT_EQ(view.Chart().Count(), 30);
    EXPECT_EQ(Newest(view.Chart()), 29);
    // Another type: a new chart, empty, with the defaults of a file-less one.
    ASSERT_TRUE(view.Load(u"\\Skins\\Diagramm\\line.ini"));
    EXPECT_EQ(view.Type(), ChartType::Line);
    EXPECT_EQ(view.Chart().Count(), 0);
    EXPECT_EQ(view.Chart().Capacity(), 500 + view.Chart().GetLayout().columns);
    // An unknown type is reported and the default, a bar chart, is taken.
    Put(u"\\Skins\\Diagramm\\bad.ini", u"[Settings]\r\nChartType = PieChart\r\n");
    const size_t before = MessageBoxes().size();
    view.OnSpeed(100);
    ASSERT_TRUE(view.Load(u"\\Skins\\Diagramm\\bad.ini"));
    EXPECT_EQ(MessageBoxes().size(), before + 1);
    EXPECT_EQ(view.Type(), ChartType::Bar);
    EXPECT_EQ(view.Chart().Count(), 0);
    // A missing chart file is a failed load, reported.
    Put(u"\\Skins\\Diagramm\\lost.ini", u"[Settings]\r\nChartIni = nirgends.ini\r\n");
    EXPECT_FALSE(view.Load(u"\\Skins\\Diagramm\\lost.ini"));
    EXPECT_EQ(MessageBoxes().size(), before + 2);
}

TEST_F(ChartViewTest, ResizeLeavesTheChartAtItsSize) {
    SpeedChart view(m_screen, 480, 272);
    view.Resize(800, 480);
    EXPECT_EQ(view.Width(), 800);
    EXPECT_EQ(view.Chart().Width(), 480);
    // Keys and taps reach the chart.
    EXPECT_TRUE(view.OnKey(13));
    EXPECT_TRUE(view.Chart().ControlsShown());
    const auto& s = view.Chart().GetSettings();
    EXPECT_TRUE(view.OnTap(s.controlsX + 8 * s.controlsWidth / 9 + 2, s.controlsY + 2));
    EXPECT_FALSE(view.Chart().ControlsShown());
}

TEST_F(ChartViewTest, FpsCountsDrawingsOverTheLastFramesOnly) {
    platform::headless::SetTickCount(50000);
    FpsOverlay fps(m_screen, 480, 272);
    char16_t buffer[32];
    auto text = [&] {
        const int n = fps.FormatText(buffer, 32);
        return std::u16string(buffer, n);
    };
    // Asked in the very millisecond it was made: one frame in "1 ms".
    EXPECT_EQ(text(), u"1000.0 fps");
    // Frames every 100 ms: count / elapsed.
    const struct {
        uint32_t step;
        const char16_t* text;
    } frames[] = {
        {100, u"20.0 fps"}, // 2 frames in 100 ms
        {100, u"15.0 fps"}, // 3 in 200
        {100, u"13.3 fps"},
        {100, u"12.5 fps"},
        {100, u"12.0 fps"},
        {100, u"11.7 fps"},
        {100, u"11.4 fps"},
        // The ninth: 9 in 800 ms (11.25, rounded to even), then the start
        // moves on by 5/9 of that and four frames remain.
        {100, u"11.2 fps"},
        // 5 frames over 800 - 444 + 100 ms.
        {100, u"11.0 fps"},
    };
    for (const auto& f : frames) {
        platform::headless::AdvanceClock(f.step);
        EXPECT_EQ(text(), f.text) << "after " << f.step;
    }
    // After a slow-down the rate follows within frames, not minutes: nine
    // frames a second apart bring it from 11 to 1.3.
    for (int i = 0; i < 8; ++i) {
        platform::headless::AdvanceClock(1000);
        text();
    }
    platform::headless::AdvanceClock(1000);
    EXPECT_EQ(text(), u"1.3 fps");
    // A buffer too small for the text gets what fits, no more.
    platform::headless::AdvanceClock(1000);
    EXPECT_EQ(fps.FormatText(buffer, 3), 3);
    EXPECT_EQ(std::u16string(buffer, 3), u"1.2");
    // No taps, no keys.
    EXPECT_FALSE(fps.OnKey(13));
    EXPECT_FALSE(fps.OnTap(10, 10));
}
