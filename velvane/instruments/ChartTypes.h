#pragma once
// How a column of a chart looks: a bar, a dot, or a point of a line.
#include "instruments/AutoscaleChart.h"

#include <memory>
#include <string_view>
#include <vector>

namespace velvane {

enum class ChartType { Bar, Dot, Line };

// A chart of the type, loaded with its defaults.
std::unique_ptr<ChartEngine> CreateChart(ChartType type, Screen& owner, int width, int height,
                                         std::u16string_view unitLabel);

// Bars from the baseline, framed in the colour of their sign.
class BarChart : public AutoscaleChart {
public:
    BarChart(Screen& owner, int width, int height, std::u16string_view unitLabel)
        : AutoscaleChart(owner, width, height, unitLabel) {}

protected:
    int ColumnCount(int plotWidth) const override;
    void BeginValues(platform::Canvas& canvas) override;
    void EndValues(platform::Canvas& canvas) override;
    void DrawPositive(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;
    void DrawNegative(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;

private:
    void DrawBar(platform::Canvas& canvas, int x, int baselineY, int h, platform::Color fill,
                 platform::Color frame);
    void FlushRun(platform::Canvas& canvas);

    // Bars too narrow to show their fill, side by side in one colour, are
    // filled as one outline: hundreds of one-pixel bars cost a few spans a
    // row instead of a fill each.
    std::vector<platform::Point> m_run;
    platform::Color m_runColor = 0;
    int m_runBaseline = 0;
};

// A round mark at the value's height.
class DotChart : public AutoscaleChart {
public:
    DotChart(Screen& owner, int width, int height, std::u16string_view unitLabel)
        : AutoscaleChart(owner, width, height, unitLabel) {}
    bool Load(std::u16string_view path) override;

protected:
    int ColumnCount(int plotWidth) const override;
    void DrawPositive(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;
    void DrawNegative(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;

private:
    void DrawDot(platform::Canvas& canvas, int x, int baselineY, int h, const platform::Brush& fill,
                 const platform::Pen& frame);

    platform::Brush m_positive, m_negative;
    platform::Pen m_positiveFrame, m_negativeFrame;
};

// One line through the columns, in the rising colour where it climbs or
// stays and in the falling colour where it drops.
class LineChart : public AutoscaleChart {
public:
    LineChart(Screen& owner, int width, int height, std::u16string_view unitLabel)
        : AutoscaleChart(owner, width, height, unitLabel) {}
    bool Load(std::u16string_view path) override;

protected:
    int ColumnCount(int plotWidth) const override;
    void BeginValues(platform::Canvas& canvas) override;
    void EndValues(platform::Canvas& canvas) override;
    void DrawPositive(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;
    void DrawNegative(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;

private:
    void DrawPoint(platform::Canvas& canvas, int x, int y, int32_t value);
    void FlushRun(platform::Canvas& canvas);

    platform::Pen m_rising, m_falling;
    int32_t m_previous = 0;
    // The points since the colour last changed, drawn as one polyline: one
    // fill for many segments.
    std::vector<platform::Point> m_run;
    bool m_runFalling = false;
};

} // namespace velvane
