#include "app/ComponentFactory.h"

#include "ini/IniText.h"
#include "instruments/AccelerationChart.h"
#include "instruments/AccelerationOverlay.h"
#include "instruments/AltitudeChart.h"
#include "instruments/AverageSpeed.h"
#include "instruments/BackgroundView.h"
#include "instruments/Battery.h"
#include "instruments/Clock.h"
#include "instruments/Compass.h"
#include "instruments/CustomText.h"
#include "instruments/Fps.h"
#include "instruments/FullLog.h"
#include "instruments/GeoCacheOverlay.h"
#include "instruments/Hdop.h"
#include "instruments/JourneyTime.h"
#include "instruments/Odometer.h"
#include "instruments/RouteMapView.h"
#include "instruments/SatCount.h"
#include "instruments/SpeedChart.h"
#include "instruments/SpeedLog.h"
#include "instruments/SpeedoView.h"
#include "instruments/TopSpeed.h"
#include "instruments/UniversalGps.h"
#include "instruments/UphillGrade.h"

#include <array>

namespace velvane {

namespace {

// The match order: the first name that begins with a section's text wins,
// so "Speedo" must stay ahead of "SpeedChart" and "SpeedLog".
const std::array<const ComponentClass*, 23> Classes{
    &SpeedoView::Class,
    &SpeedChart::Class,
    &AltitudeChart::Class,
    &AccelerationChart::Class,
    &RouteMapView::Class,
    &BackgroundView::Class,
    &FullLog::Class,
    &SpeedLog::Class,
    &TopSpeed::Class,
    &AverageSpeed::Class,
    &SatCount::Class,
    &Odometer::Class,
    &JourneyTime::Class,
    &Hdop::Class,
    &FpsOverlay::Class,
    &CustomText::Class,
    &UniversalGps::Class,
    &GeoCacheOverlay::Class,
    &UphillGrade::Class,
    &AccelerationOverlay::Class,
    &Battery::Class,
    &Clock::Class,
    &Compass::Class,
};

} // namespace

std::span<const ComponentClass* const> ComponentClasses() {
    return Classes;
}

const ComponentClass* FindComponentClass(std::u16string_view name) {
    for (const ComponentClass* cls : Classes)
        if (KeywordMatch(cls->sectionName, name) == 0)
            return cls;
    return nullptr;
}

} // namespace velvane
