#include "instruments/AccelerationChart.h"

#include "gps/ValueSources.h"

#include "platform/clock.h"

#include <algorithm>
#include <limits>

namespace velvane {

AccelerationChart::AccelerationChart(Screen& owner, int width, int height)
    : ChartView(owner, width, height, u"[dm/s²]"), m_previousTick(platform::GetTickCount()) {}

int32_t AccelerationChart::Acceleration(int32_t from, int32_t to, uint32_t elapsedMs) {
    // 0.1 km/h per ms is 10000/36 dm/s²; in 64 bits, as the difference of
    // two large speeds times 2500 leaves 32 bits behind.
    const int64_t a = (int64_t{to} - from) * 2500 / (9 * int64_t{elapsedMs});
    return static_cast<int32_t>(std::clamp<int64_t>(a, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void AccelerationChart::OnSpeed(int32_t speed) {
    const uint32_t now = platform::GetTickCount();
    // Two values in the same millisecond say nothing about the rate; the
    // first of them stays the reference.
    if (now == m_previousTick && m_havePrevious)
        return;
    // A clock that went back (the counter wrapped) gives no rate either.
    if (m_havePrevious && now > m_previousTick)
        Hand(Acceleration(m_previousSpeed, speed, now - m_previousTick));
    m_previousTick = now;
    m_previousSpeed = speed;
    m_havePrevious = true;
}

namespace {

void Attach(ValueSources& sources, AccelerationChart& chart) {
    sources.AddSpeedListener(&chart);
}

void Detach(ValueSources& sources, AccelerationChart& chart) {
    sources.RemoveSpeedListener(&chart);
}

} // namespace

const ComponentClassOf<AccelerationChart> AccelerationChart::Class{u"AccelerationChart", u"Beschl.",
                                                                   EntryKind::View, Attach, Detach};

} // namespace velvane
