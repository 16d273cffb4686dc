#include "instruments/AccelerationOverlay.h"

#include "gps/ValueSources.h"
#include "ini/IniText.h"
#include "instruments/CounterFile.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velvane {

namespace {

void AttachAcceleration(ValueSources& sources, AccelerationOverlay& overlay) {
    sources.AddSpeedListener(&overlay);
}
void DetachAcceleration(ValueSources& sources, AccelerationOverlay& overlay) {
    sources.RemoveSpeedListener(&overlay);
}

} // namespace

const ComponentClassOf<AccelerationOverlay> AccelerationOverlay::Class{
    u"AccelerationOverlay", u"Beschleunigung", EntryKind::Overlay, AttachAcceleration,
    DetachAcceleration};

AccelerationOverlay::AccelerationOverlay(Screen& owner, int width, int height)
    : TextOverlay(owner, width, height) {}

bool AccelerationOverlay::Load(std::u16string_view path) {
    m_maxMin = false;
    m_interval = DefaultInterval;
    m_baseSpeed.reset();
    m_current.reset();
    m_maximum.reset();
    m_minimum.reset();
    return TextOverlay::Load(path);
}

int AccelerationOverlay::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"AccelerationOverlay", name) == 0)
        return SectionId();
    return TextOverlay::OnSection(name);
}

int AccelerationOverlay::FirstSectionId() {
    return SectionId() + 1;
}

bool AccelerationOverlay::OnAttribute(int sectionId, std::u16string_view key,
                                      std::u16string_view value) {
    if (sectionId != SectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"MaxMin", key) == 0) {
        m_maxMin = IniBool(value);
        return true;
    }
    if (KeywordMatch(u"Interval", key) == 0) {
        m_interval = static_cast<uint32_t>(std::clamp(IniInteger(value), MinInterval, MaxInterval));
        return true;
    }
    return false;
}

std::u16string AccelerationOverlay::Number(std::optional<int32_t> hundredths) {
    if (!hundredths)
        return u"-.--";
    const uint32_t magnitude = static_cast<uint32_t>(std::abs(static_cast<int64_t>(*hundredths)));
    return (*hundredths < 0 ? u"-" : u"") + Decimal(magnitude / 100) + u"." +
           TwoDigits(magnitude % 100);
}

int AccelerationOverlay::FormatText(char16_t* buffer, int capacity) {
    std::u16string text = Number(m_current) + u"m/s²";
    if (m_maxMin)
        text += u"\nmax " + Number(m_maximum) + u"\nmin " + Number(m_minimum);
    return CopyText(text, buffer, capacity);
}

void AccelerationOverlay::OnSpeed(int32_t speed) {
    const uint32_t now = platform::GetTickCount();
    const uint32_t elapsed = now - m_baseTick;
    if (!m_baseSpeed || elapsed >= StaleIntervals * m_interval) {
        m_baseSpeed = speed;
        m_baseTick = now;
        return;
    }
    if (elapsed < m_interval)
        return;
    // Tenths of km/h per millisecond to hundredths of m/s²: * 100000 / 36.
    const double value = (static_cast<double>(speed) - *m_baseSpeed) * 100000.0 / 36.0 / elapsed;
    const auto hundredths = static_cast<int32_t>(std::lround(std::clamp(value, -1e8, 1e8)));
    m_baseSpeed = speed;
    m_baseTick = now;
    if (hundredths > MaxPlausible || hundredths < -MaxPlausible)
        return;
    const bool changed = m_current != hundredths;
    m_current = hundredths;
    m_maximum = m_maximum ? std::max(*m_maximum, hundredths) : hundredths;
    m_minimum = m_minimum ? std::min(*m_minimum, hundredths) : hundredths;
    if (changed || m_maxMin)
        RequestRedraw();
}

void AccelerationOverlay::OnStale() {
    m_current.reset();
    m_baseSpeed.reset();
    RequestRedraw();
}

} // namespace velvane
