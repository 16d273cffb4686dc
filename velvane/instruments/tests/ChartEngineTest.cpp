#include "instruments/ChartTypes.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using namespace velvane;
using platform::Canvas;
using platform::Color;
using platform::Rgb;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

constexpr Color Paper = Rgb(255, 255, 255);
constexpr Color AxisBlue = Rgb(0, 0, 255);
constexpr Color Fill = Rgb(0, 255, 0);
constexpr Color Frame = Rgb(0, 128, 0);
constexpr Color NegFill = Rgb(255, 0, 0);
constexpr Color NegFrame = Rgb(128, 0, 0);
constexpr Color Thumb = Rgb(255, 0, 255);

// Colours every chart here is drawn in, so that pixels tell what they are.
const std::u16string Colors = u"[Axis]\r\nColor = 0000FF\r\nTextColor = 000000\r\n"
                              u"[ChartColors]\r\nPositive = 00FF00\r\nPositiveFrame = 008000\r\n"
                              u"Negative = FF0000\r\nNegativeFrame = 800000\r\n"
                              u"[Controls]\r\nTextColor = FF00FF\r\nFrameColor = 000000\r\n";

void Snapshot(const Canvas& canvas, const std::string& name) {
    if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR")) {
        EXPECT_TRUE(canvas.SavePng(std::string(dir) + "/" + name));
    }
}

std::u16string Text(int v) {
    const std::string digits = std::to_string(v);
    return std::u16string(digits.begin(), digits.end());
}

// Where the chart must be, worked out from its settings as the layout rules
// give it, with the label of the maximum measured in the default font.
struct Geometry {
    int x0, yb, pw, ph, columns, cw, baseline;
};

struct Insets {
    int left = 10, top = 10, right = 10, bottom = 10, size = 1, staggered = 0;
    int step = 6; // dValues + ValueWidth, or ValueWidth for lines
};

Geometry Expected(int w, int h, const Insets& f, int min, int max) {
    auto measure = Canvas::Create(1, 1);
    const platform::Size label = measure->GetTextExtent(Text(max));
    Geometry g;
    g.x0 = f.left + 2 * f.size + label.cx;
    g.yb = (h - f.bottom) - (2 * f.size + std::max(f.staggered, 0) + label.cy);
    g.pw = (w - f.right) - g.x0;
    g.ph = g.yb - f.top;
    g.columns = std::max(g.pw / f.step, 1);
    g.cw = g.pw / g.columns;
    if (max < 0)
        g.baseline = f.top;
    else if (min > 0)
        g.baseline = f.top + g.ph;
    else
        g.baseline = f.top + max * g.ph / (max - min);
    return g;
}

class ChartTest : public ::testing::Test {
protected:
    std::unique_ptr<ChartEngine> Chart(const std::u16string& text, ChartType type = ChartType::Bar,
                                       int w = 480, int h = 272) {
        m_device.Put(u"\\Skins\\chart.ini", Utf16File(text));
        auto chart = CreateChart(type, m_screen, w, h, u"[km/h]");
        EXPECT_TRUE(chart->Load(u"\\Skins\\chart.ini"));
        return chart;
    }
    std::unique_ptr<Canvas> Drawn(ChartEngine& chart, int ox = 0, int oy = 0) {
        auto canvas = Canvas::Create(chart.Width() + ox, chart.Height() + oy);
        chart.Draw(*canvas, ox, oy);
        return canvas;
    }
    // Values 0..n-1 (times scale), one a second.
    static void Feed(ChartEngine& chart, int n, int scale = 1, int from = 0) {
        for (int i = from; i < from + n; ++i)
            chart.AddValue(i * scale);
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
};

int CountIn(const Canvas& c, platform::Rect r, Color color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

int NotIn(const Canvas& c, platform::Rect r, Color color) {
    return (r.right - r.left) * (r.bottom - r.top) - CountIn(c, r, color);
}

const std::u16string Fixed0To100 = u"[Autoscale]\r\nMinValue = 0\r\nMaxValue = 100\r\n";
// The width of the maximum's label moves the value axis; with a range that
// stays, so do the columns.
const std::u16string Steady = u"[Autoscale]\r\nAutoScale = n\r\n";

} // namespace

TEST_F(ChartTest, AnEmptyBufferDrawsAxesAndValueLabelsButNoValuesOrTimes) {
    auto chart = Chart(Colors);
    const Geometry g = Expected(480, 272, {}, 0, 1);
    auto c = Drawn(*chart);
    Snapshot(*c, "chart-empty.png");
    // Value axis from its bottom up to the top with an arrow head, time axis
    // along the baseline (the bottom: the range is 0..1) to the right edge.
    EXPECT_EQ(c->GetPixel(g.x0, 10 + g.ph / 2), AxisBlue);
    EXPECT_EQ(c->GetPixel(g.x0, 11), AxisBlue);
    EXPECT_EQ(c->GetPixel(g.x0 - 5 + 1, 10 + 8), AxisBlue);
    EXPECT_EQ(c->GetPixel(g.x0 + g.pw / 2, g.baseline), AxisBlue);
    EXPECT_EQ(c->GetPixel(g.x0 + g.pw / 2, g.baseline - 1), Paper);
    EXPECT_EQ(g.baseline, g.yb);
    // Labels "0" at the bottom and "1" at the top, right of the left edge.
    EXPECT_GT(NotIn(*c, {10, g.yb - 8, g.x0 - 2, g.yb + 8}, Paper), 0);
    EXPECT_GT(NotIn(*c, {10, 2, g.x0 - 2, 18}, Paper), 0);
    // No marks in the plot, and nothing under the time axis but the ticks.
    EXPECT_EQ(CountIn(*c, {0, 0, 480, 272}, Fill), 0);
    EXPECT_EQ(CountIn(*c, {0, 0, 480, 272}, Frame), 0);
    for (int k = 1; k <= 4; ++k) {
        const int x = g.x0 + (k * g.columns / 5) * g.cw + g.cw / 2;
        EXPECT_EQ(c->GetPixel(x, g.baseline + 1), AxisBlue) << "tick " << k;
        EXPECT_EQ(NotIn(*c, {x - 30, g.baseline + 3, x + 30, 272}, Paper), 0) << "label " << k;
    }
    // The collapsed control bar: only its "auf" button, framed in black.
    const auto& s = chart->GetSettings();
    // Chart width 470 - 10; the bar two thirds of it, centred, at the top.
    EXPECT_EQ(s.controlsWidth, 460 * 2 / 3);
    EXPECT_EQ(s.controlsX, 10 + (460 - 306) / 2);
    EXPECT_EQ(s.controlsY, 10);
    EXPECT_EQ(c->GetPixel(87 + 8 * 306 / 9 - 1, 12), Rgb(0, 0, 0));
    EXPECT_EQ(c->GetPixel(87 + 8 * 306 / 9 - 2, 12), Paper);
    EXPECT_EQ(c->GetPixel(s.controlsX + 100, 10), Paper);
}

TEST_F(ChartTest, AutoscaleWidensToMultiplesOfTheScaleFactor) {
    const struct {
        const char16_t* skin;
        std::vector<int32_t> values;
        int32_t min, max;
    } cases[] = {
        // The first value sets a range one factor wide; later ones widen it.
        {u"", {57}, 50, 60},
        {u"", {57, 63}, 50, 70},
        {u"", {57, 63, -3}, -10, 70},
        {u"", {57, 55, 60}, 50, 60},
        // A negative first value lies inside its range too.
        {u"", {-57}, -60, -50},
        {u"", {-50}, -50, -40},
        {u"", {-57, -12}, -60, -10},
        {u"[Autoscale]\r\nScaleFactor = 25\r\n", {57, 101}, 50, 125},
        // Fixed limits: the first value no longer sets the range.
        {u"[Autoscale]\r\nMinValue = 0\r\nMaxValue = 100\r\n", {57, 130}, 0, 140},
        {u"[Autoscale]\r\nMinValue = 0\r\nMaxValue = 100\r\nAutoScale = n\r\n",
         {57, 130, -9},
         0,
         100},
        {u"[Autoscale]\r\nAutoScale = n\r\n", {57}, 0, 1},
        // A maximum below the minimum is raised to it; the range stays open.
        {u"[Autoscale]\r\nMinValue = 40\r\nMaxValue = 20\r\nAutoScale = n\r\n", {}, 0, 40},
        {u"[Autoscale]\r\nMinValue = 40\r\nMaxValue = 90\r\nAutoScale = n\r\n", {}, 40, 90},
        {u"[Autoscale]\r\nMinValue = -90\r\nMaxValue = -40\r\nAutoScale = n\r\n", {}, -90, -40},
        // Values at the ends of 32 bits do not wrap the range around.
        {u"",
         {std::numeric_limits<int32_t>::max() - 3},
         2147483640,
         std::numeric_limits<int32_t>::max()},
    };
    for (const auto& t : cases) {
        auto chart = Chart(t.skin);
        for (int32_t v : t.values)
            chart->AddValue(v);
        EXPECT_EQ(chart->GetMin(), t.min) << "case " << (&t - cases);
        EXPECT_EQ(chart->GetMax(), t.max) << "case " << (&t - cases);
    }
    // A factor that would divide by zero or invert the range is refused.
    for (const char16_t* factor : {u"0", u"-10"}) {
        const size_t before = MessageBoxes().size();
        auto chart = Chart(u"[Autoscale]\r\nScaleFactor = " + std::u16string(factor) + u"\r\n");
        EXPECT_EQ(static_cast<AutoscaleChart&>(*chart).ScaleFactor(), 10);
        EXPECT_EQ(MessageBoxes().size(), before + 1);
    }
}

TEST_F(ChartTest, SetMinAndSetMaxKeepTheRangeOpen) {
    auto chart = Chart(u"");
    chart->SetMax(100);
    chart->SetMin(100); // would close the range
    chart->SetMin(-20);
    chart->SetMax(-30); // below the minimum
    EXPECT_EQ(chart->GetMin(), -20);
    EXPECT_EQ(chart->GetMax(), 100);
}

TEST_F(ChartTest, BarsStandOnTheBaselineAtTheirColumns) {
    auto chart = Chart(Colors + Fixed0To100);
    const Geometry g = Expected(480, 272, {}, 0, 100);
    chart->AddValue(50);
    chart->AddValue(100);
    auto c = Drawn(*chart);
    Snapshot(*c, "chart-bars.png");
    // The newest at the rightmost column, the one before left of it; a bar
    // spans dValues/2 .. +ValueWidth of its column and h = v * ph / 100.
    for (int back = 0; back < 2; ++back) {
        const int v = back == 0 ? 100 : 50;
        const int x = g.x0 + (g.columns - 1 - back) * g.cw + 1 / 2;
        const int top = g.baseline - v * g.ph / 100;
        EXPECT_EQ(c->GetPixel(x + 2, top + 3), Fill) << v;
        EXPECT_EQ(c->GetPixel(x, top + 3), Frame) << v;
        EXPECT_EQ(c->GetPixel(x + 4, top + 3), Frame) << v;
        EXPECT_EQ(c->GetPixel(x + 5, top + 3), Paper) << v;
        EXPECT_EQ(c->GetPixel(x + 2, top), Frame) << v;
        EXPECT_EQ(c->GetPixel(x + 2, top - 1), Paper) << v;
    }
    // Nothing in the column before them.
    const int x = g.x0 + (g.columns - 3) * g.cw;
    EXPECT_EQ(CountIn(*c, {x, 10, x + g.cw, g.baseline}, Fill), 0);

    // At an origin, everything moves with it.
    auto shifted = Drawn(*chart, 7, 5);
    const int top = g.baseline - g.ph;
    EXPECT_EQ(shifted->GetPixel(7 + g.x0 + (g.columns - 1) * g.cw + 2, 5 + top + 3), Fill);
}

TEST_F(ChartTest, NegativeAveragesTakeTheNegativeColoursWhateverTheBaseline) {
    const struct {
        int32_t min, max;
        std::vector<int32_t> values; // averaged in pairs
        bool down;                   // the bar hangs below the baseline
    } cases[] = {
        {-100, -20, {-61, -59}, true}, // baseline at the top, value max
        {10, 50, {-4, -6}, true},      // baseline at the bottom, value min
        {-40, 40, {-21, -19}, true},   // baseline at zero
        {-40, 40, {19, 21}, false},
    };
    for (const auto& t : cases) {
        const std::u16string limits = u"[Autoscale]\r\nAutoScale = n\r\nMinValue = " + Text(t.min) +
                                      u"\r\nMaxValue = " + Text(t.max) +
                                      u"\r\n[Controls]\r\nZoom = 2\r\n";
        auto chart = Chart(Colors + limits);
        for (int32_t v : t.values)
            chart->AddValue(v);
        const Geometry g = Expected(480, 272, {}, t.min, t.max);
        auto c = Drawn(*chart);
        int32_t avg = 0;
        ChartEngine::Sample first;
        const int columns = chart->GetLayout().columns;
        ASSERT_TRUE(chart->ColumnValue(columns - 1, avg, first));
        EXPECT_EQ(avg, (t.values[0] + t.values[1]) / 2);
        const int64_t h =
            (int64_t{avg} - chart->GetLayout().baselineValue) * g.ph / (t.max - t.min);
        const int bounded = static_cast<int>(std::clamp<int64_t>(h, g.baseline - 272, g.baseline));
        const int x = g.x0 + (columns - 1) * g.cw + 2;
        const int inside = g.baseline - bounded / 2;
        EXPECT_EQ(c->GetPixel(x, inside), t.down ? NegFill : Fill) << t.min << ".." << t.max;
        EXPECT_EQ(bounded < 0, t.down) << t.min << ".." << t.max;
    }
}

TEST_F(ChartTest, DotsAndLinesSitAtTheValue) {
    {
        auto chart = Chart(Colors + Fixed0To100, ChartType::Dot);
        const Geometry g = Expected(480, 272, {}, 0, 100);
        chart->AddValue(50);
        auto c = Drawn(*chart);
        // A circle of diameter 5 centred at the value's height.
        const int x = g.x0 + (g.columns - 1) * g.cw + 0 + 2;
        const int y = g.baseline - 50 * g.ph / 100;
        EXPECT_EQ(c->GetPixel(x, y), Fill);
        EXPECT_EQ(c->GetPixel(x, y - 4), Paper);
        EXPECT_EQ(c->GetPixel(x, g.baseline - 2), Paper);
    }
    {
        // Line: points at the columns' left edges, every ValueWidth pixels.
        auto chart = Chart(Colors + Fixed0To100, ChartType::Line);
        const Geometry g = Expected(480, 272, {.step = 5}, 0, 100);
        for (int v : {20, 80, 40})
            chart->AddValue(v);
        auto c = Drawn(*chart);
        Snapshot(*c, "chart-line.png");
        const int xr = g.x0 + (g.columns - 2) * g.cw, xf = g.x0 + (g.columns - 1) * g.cw;
        // Rising from 20 to 80 in the positive frame colour, falling to 40
        // in the negative one: probe the middles of the two segments.
        const int riseMid = g.baseline - 50 * g.ph / 100;
        const int fallMid = g.baseline - 60 * g.ph / 100;
        bool rise = false, fall = false;
        for (int dy = -2; dy <= 2; ++dy) {
            rise |= c->GetPixel(xr - g.cw / 2, riseMid + dy) == Frame;
            fall |= c->GetPixel(xf - g.cw / 2, fallMid + dy) == NegFrame;
        }
        EXPECT_TRUE(rise);
        EXPECT_TRUE(fall);
    }
}

TEST_F(ChartTest, ZoomedColumnsAverageTheirGroupAndDoNotJumpWhileItFills) {
    auto chart = Chart(Steady + u"[Controls]\r\nZoom = 3\r\n");
    const int n = chart->Capacity();
    const int columns = chart->GetLayout().columns;
    ASSERT_EQ(n, 500 + columns);
    ASSERT_LT(3 * columns, n);
    Feed(*chart, n + 1); // values 0..n: sample k has value k
    auto column = [&](int i) {
        int32_t v = -1;
        ChartEngine::Sample first;
        return chart->ColumnValue(i, v, first) ? v : -1;
    };
    // Groups are aligned to multiples of 3 samples: the newest holds only
    // those that arrived in it.
    const int newest = n; // the value of the newest sample
    const int groupStart = newest / 3 * 3;
    const int before = column(columns - 2);
    auto averageOf = [](int from, int count) { return (2 * from + count - 1) / 2; };
    EXPECT_EQ(column(columns - 1), averageOf(groupStart, newest - groupStart + 1));
    EXPECT_EQ(before, averageOf(groupStart - 3, 3));
    // Samples into the same group leave every other column where it was.
    for (int k = newest + 1; k % 3 != 0; ++k) {
        chart->AddValue(k);
        EXPECT_EQ(column(columns - 2), before) << k;
        EXPECT_EQ(column(columns - 1), averageOf(groupStart, k - groupStart + 1));
    }
    // The next group moves everything one column to the left.
    const int next = (newest / 3 + 1) * 3;
    chart->AddValue(next);
    EXPECT_EQ(column(columns - 1), next);
    EXPECT_EQ(column(columns - 2), averageOf(groupStart, 3));

    // Large values are summed in 64 bits.
    auto big = Chart(u"[Controls]\r\nZoom = 2\r\n");
    big->AddValue(std::numeric_limits<int32_t>::max());
    big->AddValue(std::numeric_limits<int32_t>::max() - 2);
    int32_t v;
    ChartEngine::Sample first;
    ASSERT_TRUE(big->ColumnValue(big->GetLayout().columns - 1, v, first));
    EXPECT_EQ(v, std::numeric_limits<int32_t>::max() - 1);
}

TEST_F(ChartTest, ScrollAndZoomStayWithinTheHistory) {
    auto chart = Chart(u"[Controls]\r\nAdditionalValues = 200\r\n");
    const int columns = chart->GetLayout().columns;
    const int n = chart->Capacity();
    ASSERT_EQ(n, 200 + columns);
    chart->OnKey(13); // open the bar: keys work only then
    const struct {
        int key;
        int zoom, offset; // after the key
    } steps[] = {
        {37, 1, 1}, // one column older
        {37, 1, 2},
        {39, 1, 1}, // one newer
        {39, 1, 0},
        {39, 1, 0},                      // never past the newest
        {33, 1, std::min(columns, 200)}, // a page older, at most N - Z*C
        {34, 1, 0},
        {36, 1, 0},                                         // newest
        {35, 1, 200},                                       // oldest: AdditionalValues
        {109, 2, std::min(200 - 200 / 4, n - 2 * columns)}, // zoom out: offset - offset/4
        {107, 1, 0},                                        // zoom in
        {107, 1, 0},                                        // not below 1
    };
    for (const auto& s : steps) {
        int expected = s.offset;
        if (s.key == 107 && s.zoom == 1) {
            // Coming back from zoom 2 the offset grows by offset/2, clamped.
            expected = chart->Zoom() == 2
                           ? std::min(chart->Offset() + chart->Offset() / 2, n - columns)
                           : chart->Offset();
        }
        EXPECT_TRUE(chart->OnKey(s.key)) << s.key;
        EXPECT_EQ(chart->Zoom(), s.zoom) << s.key;
        EXPECT_EQ(chart->Offset(), expected) << s.key;
    }
    // At a zoom where the screen holds the whole history, nothing scrolls.
    chart->SetZoom(1000);
    EXPECT_EQ(chart->Zoom(), n); // never more than the whole history
    chart->SetOffset(50);
    EXPECT_EQ(chart->Offset(), 0);
    chart->SetZoom(1);
    chart->SetOffset(-5);
    EXPECT_EQ(chart->Offset(), 0);
}

TEST_F(ChartTest, TheControlBarByTapsAndKeys) {
    auto chart =
        Chart(Colors + u"[Controls]\r\nX = 30\r\nY = 20\r\nWidth = 270\r\nHeight = 45\r\n");
    Feed(*chart, 100);
    // Collapsed: keys other than KeyActivate are not used, nor taps beside "auf".
    EXPECT_FALSE(chart->OnKey(37));
    EXPECT_FALSE(chart->OnTap(40, 25));
    EXPECT_FALSE(chart->OnTap(30 + 240 - 2, 25));
    // "auf" spans X + 8W/9 - 1 .. X + W, the button row 2H/3 high.
    EXPECT_TRUE(chart->OnTap(30 + 240 - 1, 25));
    EXPECT_TRUE(chart->ControlsShown());
    auto c = Drawn(*chart);
    Snapshot(*c, "chart-controls.png");
    // Nine buttons of W/9 = 30 pixels, frames where they meet; the scroll row
    // under them from Y + 2H/3 - 1 to Y + H, its thumb at the right end (the
    // newest) in the text colour.
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(c->GetPixel(30 + (k + 1) * 30 - 1, 35), Rgb(0, 0, 0)) << k;
    const int n = chart->Capacity(), columns = chart->GetLayout().columns;
    const int thumbLeft = 30 + 271 * (n - columns) / n;
    EXPECT_EQ(c->GetPixel(thumbLeft + 1, 55), Thumb);
    EXPECT_EQ(c->GetPixel(thumbLeft - 2, 55), Paper);
    EXPECT_EQ(c->GetPixel(299, 55), Thumb);

    // Taps on the buttons run their actions: "<" twice, ">" once, "|<", ">|".
    EXPECT_TRUE(chart->OnTap(30 + 2 * 30 + 5, 30));
    EXPECT_TRUE(chart->OnTap(30 + 2 * 30 + 29, 30));
    EXPECT_EQ(chart->Offset(), 2);
    EXPECT_TRUE(chart->OnTap(30 + 3 * 30, 30));
    EXPECT_EQ(chart->Offset(), 1);
    EXPECT_TRUE(chart->OnTap(30, 20));
    EXPECT_EQ(chart->Offset(), std::min(500, n - columns));
    EXPECT_TRUE(chart->OnTap(30 + 5 * 30 + 1, 49));
    EXPECT_EQ(chart->Offset(), 0);
    EXPECT_TRUE(chart->OnTap(30 + 6 * 30 + 1, 30)); // "-": zoom out
    EXPECT_EQ(chart->Zoom(), 2);
    EXPECT_TRUE(chart->OnTap(30 + 7 * 30 + 1, 30)); // "+": zoom in
    EXPECT_EQ(chart->Zoom(), 1);

    // A tap on the scroll row centres the thumb on it.
    const int tapX = 100;
    EXPECT_TRUE(chart->OnTap(tapX, 60));
    const int thumb = columns * 270 / n;
    EXPECT_EQ(chart->Offset(), (30 + 270 - thumb / 2 - tapX) * n / 270);
    c = Drawn(*chart);
    const int left = 30 + 271 * (n - columns - chart->Offset()) / n;
    const int width = columns * 271 / n;
    EXPECT_LE(std::abs(left + width / 2 - tapX), 2);
    EXPECT_EQ(c->GetPixel(left + 1, 55), Thumb);
    // At the far right the offset stops at 0, at the far left at N - C.
    EXPECT_TRUE(chart->OnTap(300, 60));
    EXPECT_EQ(chart->Offset(), 0);
    EXPECT_TRUE(chart->OnTap(30, 60));
    EXPECT_EQ(chart->Offset(), n - columns);
    // Outside the bar nothing is handled.
    EXPECT_FALSE(chart->OnTap(320, 30));
    EXPECT_FALSE(chart->OnTap(100, 66));

    // "zu" by tap and KeyActivate by key both collapse it.
    EXPECT_TRUE(chart->OnTap(30 + 8 * 30 + 2, 30));
    EXPECT_FALSE(chart->ControlsShown());
    EXPECT_TRUE(chart->OnKey(13));
    EXPECT_TRUE(chart->ControlsShown());
    EXPECT_TRUE(chart->OnKey(13));
    EXPECT_FALSE(chart->ControlsShown());
}

TEST_F(ChartTest, KeysComeFromTheFileAndAControlBarCanHangFromTheEdges) {
    auto chart = Chart(u"[Controls]\r\nKeyActivate = 32\r\nKeyScrollLeft = 65\r\n"
                       u"X = -5\r\nY = -8\r\nWidth = 90\r\nHeight = 30\r\n");
    Feed(*chart, 50);
    EXPECT_FALSE(chart->OnKey(13));
    EXPECT_TRUE(chart->OnKey(32));
    EXPECT_TRUE(chart->OnKey(65));
    EXPECT_EQ(chart->Offset(), 1);
    EXPECT_FALSE(chart->OnKey(37));
    EXPECT_EQ(chart->GetSettings().controlsX, -5 + 480 - 90);
    EXPECT_EQ(chart->GetSettings().controlsY, -8 + 272 - 30);
}

TEST_F(ChartTest, ALoadKeepsTheNewestSamplesInOrder) {
    auto chart = Chart(Steady + u"[Controls]\r\nAdditionalValues = 300\r\n");
    const int columns = chart->GetLayout().columns;
    Feed(*chart, 300 + columns + 40); // the buffer wrapped
    auto newest = [&](ChartEngine& c) {
        int32_t v;
        ChartEngine::Sample first;
        return c.ColumnValue(c.GetLayout().columns - 1, v, first) ? v : -1;
    };
    // Smaller: the newest 100 + C, in order.
    m_device.Put(u"\\Skins\\chart.ini",
                 Utf16File(Steady + u"[Controls]\r\nAdditionalValues = 100\r\n"));
    ASSERT_TRUE(chart->Load(u"\\Skins\\chart.ini"));
    EXPECT_EQ(chart->Capacity(), 100 + columns);
    EXPECT_EQ(chart->Count(), 100 + columns);
    chart->SetOffset(100);
    int32_t v;
    ChartEngine::Sample first;
    for (int i = 0; i < columns; ++i) {
        ASSERT_TRUE(chart->ColumnValue(i, v, first)) << i;
        EXPECT_EQ(v, 300 + columns + 40 - (100 + columns) + i) << i;
    }
    // Larger again: the kept samples stay, new ones follow them.
    m_device.Put(u"\\Skins\\chart.ini",
                 Utf16File(Steady + u"[Controls]\r\nAdditionalValues = 1000\r\n"));
    ASSERT_TRUE(chart->Load(u"\\Skins\\chart.ini"));
    EXPECT_EQ(chart->Offset(), 100);
    chart->SetOffset(0);
    EXPECT_EQ(newest(*chart), 300 + columns + 40 - 1);
    chart->AddValue(7);
    EXPECT_EQ(newest(*chart), 7);
    EXPECT_EQ(chart->Count(), 100 + columns + 1);
    // The oldest kept is still there, left of everything newer.
    chart->SetOffset(chart->Count() - columns);
    ASSERT_TRUE(chart->ColumnValue(0, v, first));
    EXPECT_EQ(v, 300 + columns + 40 - (100 + columns));
}

TEST_F(ChartTest, GuardsForWhatTheSettingsLeaveOpen) {
    // VerticalDashes below 2: the two ends are still labelled.
    for (const char16_t* dashes : {u"0", u"1", u"-4"}) {
        auto chart = Chart(Colors + u"[Axis]\r\nVerticalDashes = " + dashes + u"\r\n");
        const Geometry g = Expected(480, 272, {}, 0, 1);
        auto c = Drawn(*chart);
        EXPECT_GT(NotIn(*c, {10, g.yb - 8, g.x0 - 2, g.yb + 8}, Paper), 0);
        EXPECT_GT(NotIn(*c, {10, 2, g.x0 - 2, 18}, Paper), 0);
    }
    // No plot area: only background and control bar, and values are still
    // kept.
    for (const char16_t* rect : {u"[ChartRect]\r\nLeft = 470\r\n", u"[ChartRect]\r\nTop = 300\r\n",
                                 u"[ChartRect]\r\nRight = 500\r\nBottom = 400\r\n"}) {
        auto chart = Chart(Colors + rect);
        Feed(*chart, 20, 5);
        chart->OnKey(13);
        auto c = Drawn(*chart);
        EXPECT_EQ(CountIn(*c, {0, 0, 480, 272}, AxisBlue), 0);
        EXPECT_EQ(CountIn(*c, {0, 0, 480, 272}, Fill), 0);
        EXPECT_EQ(chart->GetLayout().columns, 1);
        EXPECT_EQ(chart->Count(), 20);
        EXPECT_TRUE(chart->OnKey(37));
    }
    // A gap and width adding to nothing give one pixel a column.
    auto chart = Chart(u"[ChartMetrics]\r\ndValues = 0\r\nValueWidth = 0\r\n");
    EXPECT_EQ(chart->GetLayout().columns, chart->GetLayout().plotWidth);
    // A history beyond a day is refused and reported; the default stays.
    const size_t before = MessageBoxes().size();
    chart = Chart(u"[Controls]\r\nAdditionalValues = 100000000\r\n");
    EXPECT_EQ(MessageBoxes().size(), before + 1);
    EXPECT_EQ(chart->GetSettings().additionalValues, 500);
    // HorizontalDashes 0 draws no time ticks.
    chart = Chart(Colors + u"[Axis]\r\nHorizontalDashes = 0\r\n");
    Feed(*chart, 200);
    const Geometry g = Expected(480, 272, {}, 0, 200);
    auto c = Drawn(*chart);
    EXPECT_EQ(CountIn(*c, {g.x0 + 3, g.baseline + 1, 455, 272}, AxisBlue), 0);
}

TEST_F(ChartTest, TimeLabelsShowTheLocalTimeOfArrivalAcrossMidnight) {
    const char* tz = std::getenv("TZ");
    const std::string savedTz = tz ? tz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    const platform::SystemTime before = platform::GetSystemTime();
    platform::SystemTime t{};
    t.year = 2026, t.month = 12, t.day = 8, t.hour = 23, t.minute = 59, t.second = 50;
    ASSERT_TRUE(platform::SetSystemTime(t));
    auto chart =
        Chart(Colors + u"[Axis]\r\nHorizontalDashes = 1\r\n[Controls]\r\nAdditionalValues = 0\r\n");
    const int columns = chart->GetLayout().columns;
    for (int i = 0; i < columns; ++i) {
        chart->AddValue(1);
        platform::headless::AdvanceClock(1000);
    }
    int32_t v;
    ChartEngine::Sample first;
    ASSERT_TRUE(chart->ColumnValue(0, v, first));
    EXPECT_EQ(first.hour, 23);
    EXPECT_EQ(first.minute, 59);
    const int start = first.second;
    EXPECT_GE(start, 50);
    // A minute on: just after midnight, hours start again from 0.
    ASSERT_TRUE(chart->ColumnValue(60, v, first));
    EXPECT_EQ(first.hour, 0);
    EXPECT_EQ(first.minute, 0);
    EXPECT_EQ(first.second, start);
    // The one label, under the middle column, is drawn below the axis.
    const Geometry g = Expected(480, 272, {}, 0, 10);
    auto c = Drawn(*chart);
    Snapshot(*c, "chart-midnight.png");
    const int x = g.x0 + (columns / 2) * g.cw + g.cw / 2;
    EXPECT_GT(NotIn(*c, {x - 30, g.baseline + 3, x + 30, g.baseline + 20}, Paper), 20);
    platform::SetSystemTime(before);
    if (savedTz.empty())
        unsetenv("TZ");
    else
        setenv("TZ", savedTz.c_str(), 1);
    tzset();
}

TEST_F(ChartTest, NarrowBarsCoverExactlyTheirColumns) {
    // One and two pixels wide, side by side or with gaps, up and down: each
    // column from its height to the baseline and nothing else (no time
    // labels, which would be written over the bars below the baseline).
    const struct { int dValues, valueWidth; } metrics[] = {{0, 1}, {0, 2}, {1, 1}, {2, 2}};
    const std::vector<int32_t> values = {30, -40, -40, 0, 70, 71, 10, -5, 100, -100, 50};
    for (const auto& m : metrics) {
        const std::u16string skin =
            Colors + u"[Axis]\r\nHorizontalDashes = 0\r\n" +
            u"[Autoscale]\r\nMinValue = -100\r\nMaxValue = 100\r\nAutoScale = n\r\n" +
            u"[ChartMetrics]\r\ndValues = " + char16_t(u'0' + m.dValues) + u"\r\nValueWidth = " +
            char16_t(u'0' + m.valueWidth) + u"\r\n";
        auto chart = Chart(skin);
        for (int32_t v : values)
            chart->AddValue(v);
        // Zeros draw nothing; they keep the bars clear of the arrow head.
        for (int k = 0; k < 12; ++k)
            chart->AddValue(0);
        const Geometry g = Expected(480, 272, {.step = m.dValues + m.valueWidth}, -100, 100);
        auto c = Drawn(*chart);
        const int first = g.columns - static_cast<int>(values.size()) - 12;
        for (size_t k = 0; k < values.size(); ++k) {
            const int32_t v = values[k];
            const int left = g.x0 + (first + static_cast<int>(k)) * g.cw + m.dValues / 2;
            const int h = v * g.ph / 200;
            // The time axis is drawn over the baseline row.
            const int top = std::min(g.baseline + 1, g.baseline - h);
            const int bottom = std::max(g.baseline, g.baseline - h);
            const Color color = v < 0 ? NegFrame : Frame;
            for (int x = left; x < left + m.valueWidth; ++x) {
                EXPECT_EQ(CountIn(*c, {x, top, x + 1, bottom}, color), bottom - top)
                    << "value " << v << " x " << x - left << " width " << m.valueWidth;
                EXPECT_EQ(CountIn(*c, {x, 0, x + 1, 272}, color), bottom - top)
                    << "value " << v << " x " << x - left << " width " << m.valueWidth;
            }
            // The gap beside it stays clear of both colours.
            for (int x = left + m.valueWidth; x < left - m.dValues / 2 + g.cw; ++x)
                EXPECT_EQ(CountIn(*c, {x, 0, x + 1, g.baseline}, Frame), 0) << v;
        }
    }
}
