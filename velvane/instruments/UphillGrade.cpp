#include "instruments/UphillGrade.h"

#include "gps/ValueSources.h"
#include "ini/IniText.h"
#include "instruments/CounterFile.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace velvane {

namespace {

void AttachUphillGrade(ValueSources& sources, UphillGrade& overlay) {
    sources.AddAltitudeListener(&overlay);
    sources.AddPositionListener(&overlay);
}
void DetachUphillGrade(ValueSources& sources, UphillGrade& overlay) {
    sources.RemoveAltitudeListener(&overlay);
    sources.RemovePositionListener(&overlay);
}

} // namespace

const ComponentClassOf<UphillGrade> UphillGrade::Class{
    u"UphillGrade", u"Steigung", EntryKind::Overlay, AttachUphillGrade, DetachUphillGrade};

UphillGrade::UphillGrade(Screen& owner, int width, int height)
    : TextOverlay(owner, width, height) {}

void UphillGrade::Restart() {
    m_samples.clear();
    m_distance = 0;
    m_grade.reset();
}

bool UphillGrade::Load(std::u16string_view path) {
    m_window = DefaultWindow;
    m_altitude.reset();
    m_last = GeoPosition();
    Restart();
    return TextOverlay::Load(path);
}

int UphillGrade::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"UphillGrade", name) == 0)
        return SectionId();
    return TextOverlay::OnSection(name);
}

int UphillGrade::FirstSectionId() {
    return SectionId() + 1;
}

bool UphillGrade::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != SectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"Distance", key) == 0) {
        m_window = std::clamp(IniInteger(value), MinWindow, MaxWindow);
        return true;
    }
    return false;
}

int UphillGrade::FormatText(char16_t* buffer, int capacity) {
    if (!m_grade)
        return CopyText(u"?%", buffer, capacity);
    const std::string number = std::to_string(*m_grade);
    return CopyText(std::u16string(number.begin(), number.end()) + u"%", buffer, capacity);
}

void UphillGrade::OnAltitude(int32_t altitude) {
    m_altitude = altitude;
}

void UphillGrade::OnPosition(const GeoPosition& position) {
    if (!position.IsValid())
        return;
    const uint32_t now = platform::GetTickCount();
    const std::optional<int32_t> before = m_grade;
    if (m_last.IsValid()) {
        const uint64_t step = m_last.DistanceTo(position);
        const uint64_t elapsed = std::max<uint32_t>(now - m_lastTick, 1000);
        if (step > elapsed * MaxCentimetresPerSecond / 1000)
            Restart();
        else
            m_distance += step;
    }
    m_last = position;
    m_lastTick = now;
    if (!m_altitude)
        return;

    if (m_samples.empty() || m_distance - m_samples.back().distance >= SampleSpacing)
        m_samples.push_back({m_distance, *m_altitude});
    const uint64_t window = static_cast<uint64_t>(m_window) * 100;
    // Keep the newest sample that is still a whole window back as the start.
    while (m_samples.size() > 2 && m_samples.back().distance - m_samples[1].distance >= window)
        m_samples.pop_front();
    const Sample& first = m_samples.front();
    const Sample& last = m_samples.back();
    const uint64_t run = last.distance - first.distance;
    if (run >= window) {
        // Tenths of a metre over centimetres, in percent.
        const double grade = (last.altitude - first.altitude) * 1000.0 / static_cast<double>(run);
        m_grade = static_cast<int32_t>(std::lround(std::clamp(grade, -1000.0, 1000.0)));
    }
    if (m_grade != before)
        RequestRedraw();
}

void UphillGrade::OnStale() {
    m_altitude.reset();
    Restart();
    RequestRedraw();
}

} // namespace velvane
