#include "instruments/AltitudeChart.h"

#include "gps/ValueSources.h"

namespace velvane {

AltitudeChart::AltitudeChart(Screen& owner, int width, int height)
    : ChartView(owner, width, height, u"[m]") {}

void AltitudeChart::OnAltitude(int32_t altitude) {
    Hand(altitude / 10);
}

namespace {

void Attach(ValueSources& sources, AltitudeChart& chart) {
    sources.AddAltitudeListener(&chart);
}

void Detach(ValueSources& sources, AltitudeChart& chart) {
    sources.RemoveAltitudeListener(&chart);
}

} // namespace

const ComponentClassOf<AltitudeChart> AltitudeChart::Class{u"AltitudeChart", u"Höhe",
                                                           EntryKind::View, Attach, Detach};

} // namespace velvane
