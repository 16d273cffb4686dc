#include "instruments/ChartTypes.h"

#include <algorithm>

namespace velvane {

using platform::Brush;
using platform::Canvas;
using platform::Pen;

std::unique_ptr<ChartEngine> CreateChart(ChartType type, Screen& owner, int width, int height,
                                         std::u16string_view unitLabel) {
    std::unique_ptr<ChartEngine> chart;
    switch (type) {
    case ChartType::Bar:
        chart = std::make_unique<BarChart>(owner, width, height, unitLabel);
        break;
    case ChartType::Dot:
        chart = std::make_unique<DotChart>(owner, width, height, unitLabel);
        break;
    case ChartType::Line:
        chart = std::make_unique<LineChart>(owner, width, height, unitLabel);
        break;
    }
    chart->Load({});
    return chart;
}

namespace {

// A gap and width that add up to nothing or less would divide by zero or
// give no columns; one pixel a column is the least.
int Columns(int plotWidth, int step) {
    return plotWidth / std::max(step, 1);
}

} // namespace

int BarChart::ColumnCount(int plotWidth) const {
    const auto& s = GetSettings();
    return Columns(plotWidth, s.dValues + s.valueWidth);
}

// A one-pixel frame around a fill, as two fills: the same pixels as a framed
// rectangle, at half the cost.
void BarChart::DrawBar(Canvas& canvas, int x, int baselineY, int h, platform::Color fill,
                       platform::Color frame) {
    const auto& s = GetSettings();
    const int left = x + s.dValues / 2, right = left + s.valueWidth;
    const platform::Rect r{std::min(left, right), std::min(baselineY, baselineY - h),
                           std::max(left, right), std::max(baselineY, baselineY - h)};
    if (r.IsEmpty()) {
        FlushRun(canvas);
        return;
    }
    const platform::Rect inside{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    if (inside.IsEmpty()) {
        const bool joins = !m_run.empty() && m_runColor == frame && m_runBaseline == baselineY &&
                           m_run.back().x == r.left;
        if (!joins) {
            FlushRun(canvas);
            m_runColor = frame;
            m_runBaseline = baselineY;
            m_run.push_back({r.left, baselineY});
        }
        m_run.push_back({r.left, baselineY - h});
        m_run.push_back({r.right, baselineY - h});
        return;
    }
    FlushRun(canvas);
    canvas.FillRect(r, frame);
    canvas.FillRect(inside, fill);
}

void BarChart::BeginValues(Canvas&) {
    m_run.clear();
}

void BarChart::EndValues(Canvas& canvas) {
    FlushRun(canvas);
}

void BarChart::FlushRun(Canvas& canvas) {
    if (m_run.empty())
        return;
    // Down to the baseline again and back along it: the outline of every
    // bar of the run, above or below the baseline.
    m_run.push_back({m_run.back().x, m_runBaseline});
    platform::ScopedPen pen(canvas, Pen::Null());
    platform::ScopedBrush brush(canvas, Brush::Solid(m_runColor));
    canvas.Polygon(m_run);
    m_run.clear();
}

void BarChart::DrawPositive(Canvas& canvas, int x, int baselineY, int h, int32_t) {
    DrawBar(canvas, x, baselineY, h, GetSettings().positive, GetSettings().positiveFrame);
}

void BarChart::DrawNegative(Canvas& canvas, int x, int baselineY, int h, int32_t) {
    DrawBar(canvas, x, baselineY, h, GetSettings().negative, GetSettings().negativeFrame);
}

bool DotChart::Load(std::u16string_view path) {
    const bool parsed = AutoscaleChart::Load(path);
    const auto& s = GetSettings();
    m_positive = Brush::Solid(s.positive);
    m_negative = Brush::Solid(s.negative);
    m_positiveFrame = Pen::Solid(1, s.positiveFrame);
    m_negativeFrame = Pen::Solid(1, s.negativeFrame);
    return parsed;
}

int DotChart::ColumnCount(int plotWidth) const {
    const auto& s = GetSettings();
    return Columns(plotWidth, s.dValues + s.valueWidth);
}

void DotChart::DrawDot(Canvas& canvas, int x, int baselineY, int h, const Brush& fill,
                       const Pen& frame) {
    const auto& s = GetSettings();
    const int left = x + s.dValues / 2, top = baselineY - s.valueWidth / 2 - h;
    platform::ScopedPen pen(canvas, frame);
    platform::ScopedBrush brush(canvas, fill);
    canvas.Ellipse(left, top, left + s.valueWidth, top + s.valueWidth);
}

void DotChart::DrawPositive(Canvas& canvas, int x, int baselineY, int h, int32_t) {
    DrawDot(canvas, x, baselineY, h, m_positive, m_positiveFrame);
}

void DotChart::DrawNegative(Canvas& canvas, int x, int baselineY, int h, int32_t) {
    DrawDot(canvas, x, baselineY, h, m_negative, m_negativeFrame);
}

bool LineChart::Load(std::u16string_view path) {
    const bool parsed = AutoscaleChart::Load(path);
    const auto& s = GetSettings();
    // 0 counts as 1, and so does a width below it.
    const int width = std::max(s.dValues, 1);
    m_rising = Pen::Solid(width, s.positiveFrame);
    m_falling = Pen::Solid(width, s.negativeFrame);
    return parsed;
}

int LineChart::ColumnCount(int plotWidth) const {
    return Columns(plotWidth, GetSettings().valueWidth);
}

void LineChart::BeginValues(Canvas&) {
    m_run.clear();
}

void LineChart::EndValues(Canvas& canvas) {
    FlushRun(canvas);
    m_run.clear();
}

void LineChart::FlushRun(Canvas& canvas) {
    if (m_run.size() < 2)
        return;
    platform::ScopedPen pen(canvas, m_runFalling ? m_falling : m_rising);
    canvas.Polyline(m_run);
    // The next run starts where this one ended.
    const platform::Point last = m_run.back();
    m_run.assign(1, last);
    canvas.MoveTo(last.x, last.y);
}

void LineChart::DrawPoint(Canvas& canvas, int x, int y, int32_t value) {
    if (!m_run.empty()) {
        const bool falling = value < m_previous;
        if (m_run.size() > 1 && falling != m_runFalling)
            FlushRun(canvas);
        m_runFalling = falling;
    }
    m_run.push_back({x, y});
    m_previous = value;
}

void LineChart::DrawPositive(Canvas& canvas, int x, int baselineY, int h, int32_t value) {
    DrawPoint(canvas, x, baselineY - h, value);
}

void LineChart::DrawNegative(Canvas& canvas, int x, int baselineY, int h, int32_t value) {
    DrawPoint(canvas, x, baselineY - h, value);
}

} // namespace velvane
