#include "instruments/AltitudeChart.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"

namespace velvane {

AltitudeChart::AltitudeChart(Screen& owner, int width, int height)
    : ChartView(owner, width, height, u"[" + std::u16string(owner.Units().AltitudeUnit()) + u"]") {}

void AltitudeChart::OnAltitude(int32_t altitude) {
    Hand(Owner().Units().Altitude(altitude) / 10);
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
