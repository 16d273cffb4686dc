#pragma once
// The acceleration history in dm/s², from the change of speed between two
// speed values and the time between their arrival.
#include "display/ComponentClass.h"
#include "gps/SpeedListener.h"
#include "instruments/ChartView.h"

#include <cstdint>

namespace velvane {

class AccelerationChart : public ChartView, public SpeedListener {
public:
    static const ComponentClassOf<AccelerationChart> Class;

    AccelerationChart(Screen& owner, int width, int height);

    // Tenths of km/h.
    void OnSpeed(int32_t speed) override;

    // dm/s² between two speeds (tenths of km/h) taken elapsedMs apart.
    static int32_t Acceleration(int32_t from, int32_t to, uint32_t elapsedMs);

private:
    uint32_t m_previousTick;
    int32_t m_previousSpeed = 0;
    // No speed before the first: a difference to an assumed standstill
    // would show a leap that never happened.
    bool m_havePrevious = false;
};

} // namespace velvane
