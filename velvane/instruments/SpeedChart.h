#pragma once
// The speed history in whole km/h.
#include "display/ComponentClass.h"
#include "gps/SpeedListener.h"
#include "instruments/ChartView.h"

namespace velvane {

class SpeedChart : public ChartView, public SpeedListener {
public:
    static const ComponentClassOf<SpeedChart> Class;

    SpeedChart(Screen& owner, int width, int height);

    // Tenths; the chart gets whole units.
    void OnSpeed(int32_t speed) override;
};

} // namespace velvane
