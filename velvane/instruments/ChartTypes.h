#pragma once
// How a column of a chart looks: a bar, a dot, or a point of a line.
#include "instruments/AutoscaleChart.h"

#include <memory>
#include <string_view>

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
    void DrawPositive(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;
    void DrawNegative(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;

private:
    void DrawBar(platform::Canvas& canvas, int x, int baselineY, int h, platform::Color fill,
                 platform::Color frame);
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
    void DrawPositive(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;
    void DrawNegative(platform::Canvas& canvas, int x, int baselineY, int h,
                      int32_t value) override;

private:
    void DrawPoint(platform::Canvas& canvas, int x, int y, int32_t value);

    platform::Pen m_rising, m_falling;
    bool m_firstPoint = true;
    int32_t m_previous = 0;
};

} // namespace velvane
