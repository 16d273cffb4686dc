#include "instruments/SpeedChart.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"

namespace velvane {

SpeedChart::SpeedChart(Screen& owner, int width, int height)
    : ChartView(owner, width, height, u"[" + std::u16string(owner.Units().SpeedUnit()) + u"]") {}

void SpeedChart::OnSpeed(int32_t speed) {
    Hand(Owner().Units().Speed(speed) / 10);
}

namespace {

void Attach(ValueSources& sources, SpeedChart& chart) {
    sources.AddSpeedListener(&chart);
}

void Detach(ValueSources& sources, SpeedChart& chart) {
    sources.RemoveSpeedListener(&chart);
}

} // namespace

const ComponentClassOf<SpeedChart> SpeedChart::Class{u"SpeedChart", u"Geschw.", EntryKind::View,
                                                     Attach, Detach};

} // namespace velvane
