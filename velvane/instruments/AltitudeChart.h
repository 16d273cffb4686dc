#pragma once
// The altitude history in whole metres.
#include "display/ComponentClass.h"
#include "gps/AltitudeListener.h"
#include "instruments/ChartView.h"

namespace velvane {

class AltitudeChart : public ChartView, public AltitudeListener {
public:
    static const ComponentClassOf<AltitudeChart> Class;

    AltitudeChart(Screen& owner, int width, int height);

    // Tenths; the chart gets whole units.
    void OnAltitude(int32_t altitude) override;
};

} // namespace velvane
