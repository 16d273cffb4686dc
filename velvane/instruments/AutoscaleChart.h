#pragma once
// The range of a chart: fixed limits from the file, or limits that widen to
// take in every value, rounded out to multiples of the scale factor.
#include "instruments/ChartEngine.h"

namespace velvane {

class AutoscaleChart : public ChartEngine {
public:
    static constexpr int DefaultScaleFactor = 10;

    // Widens the range to the value when AutoScale is on, then stores it.
    void AddValue(int32_t value) override;
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    bool AutoScale() const { return m_autoScale; }
    int ScaleFactor() const { return m_scaleFactor; }

protected:
    using ChartEngine::ChartEngine;

private:
    int AutoscaleSectionId() { return ChartEngine::FirstSectionId(); }

    int32_t m_configMin = 0;
    int32_t m_configMax = 1;
    bool m_minGiven = false;
    bool m_maxGiven = false;
    bool m_autoScale = true;
    int m_scaleFactor = DefaultScaleFactor;
    // Set: the next value sets the range.
    bool m_firstValue = true;
};

} // namespace velvane
