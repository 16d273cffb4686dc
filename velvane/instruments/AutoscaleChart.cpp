#include "instruments/AutoscaleChart.h"

#include "ini/IniText.h"

namespace velvane {

bool AutoscaleChart::Load(std::u16string_view path) {
    m_configMin = GetMin();
    m_configMax = GetMax();
    m_minGiven = m_maxGiven = false;
    m_autoScale = true;
    m_scaleFactor = DefaultScaleFactor;
    m_firstValue = true;
    const bool parsed = ChartEngine::Load(path);
    if (!m_autoScale || m_minGiven || m_maxGiven)
        m_firstValue = false;
    if (m_configMax < m_configMin)
        m_configMax = m_configMin;
    if (GetMax() < m_configMin) {
        SetMax(m_configMax);
        SetMin(m_configMin);
    } else {
        SetMin(m_configMin);
        SetMax(m_configMax);
    }
    return parsed;
}

int AutoscaleChart::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Autoscale", name) == 0)
        return AutoscaleSectionId();
    return ChartEngine::OnSection(name);
}

int AutoscaleChart::FirstSectionId() {
    return ChartEngine::FirstSectionId() + 1;
}

bool AutoscaleChart::OnAttribute(int sectionId, std::u16string_view key,
                                 std::u16string_view value) {
    if (sectionId != AutoscaleSectionId())
        return ChartEngine::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"MinValue", key) == 0) {
        m_configMin = IniInteger(value);
        m_minGiven = true;
        return true;
    }
    if (KeywordMatch(u"MaxValue", key) == 0) {
        m_configMax = IniInteger(value);
        m_maxGiven = true;
        return true;
    }
    if (KeywordMatch(u"AutoScale", key) == 0) {
        m_autoScale = IniBool(value);
        return true;
    }
    if (KeywordMatch(u"ScaleFactor", key) == 0) {
        // Limits are multiples of it: 0 would divide by zero, a negative
        // factor would turn the range upside down.
        const int factor = IniInteger(value);
        if (factor < 1)
            return false;
        m_scaleFactor = factor;
        return true;
    }
    return false;
}

void AutoscaleChart::AddValue(int32_t value) {
    if (m_autoScale) {
        // 64 bits: a value near the int32 limits must not wrap the range.
        const int64_t v = value, f = m_scaleFactor, r = v % f;
        if (m_firstValue) {
            m_firstValue = false;
            // Rounded down, so that a negative value lies inside its range
            // as a positive one does.
            const int64_t low = v < 0 && r != 0 ? v - r - f : v - r;
            SetRange(low, low + f);
        } else if (v > GetMax()) {
            SetRange(GetMin(), v < 0 ? v - r : v + f - r);
        } else if (v < GetMin()) {
            SetRange(v < 0 ? v - r - f : v - r, GetMax());
        }
    }
    Store(value);
}

} // namespace velvane
