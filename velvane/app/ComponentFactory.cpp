#include "app/ComponentFactory.h"

#include "ini/IniText.h"
#include "instruments/AccelerationChart.h"
#include "instruments/AccelerationOverlay.h"
#include "instruments/AltitudeChart.h"
#include "instruments/AverageSpeed.h"
#include "instruments/BackgroundView.h"
#include "instruments/Fps.h"
#include "instruments/FullLog.h"
#include "instruments/JourneyTime.h"
#include "instruments/Odometer.h"
#include "instruments/SpeedChart.h"
#include "instruments/SpeedLog.h"
#include "instruments/SpeedoView.h"
#include "instruments/TopSpeed.h"
#include "instruments/UphillGrade.h"

#include <array>

namespace velvane {

namespace {

using K = EntryKind;

const PendingClass Route{u"Route", u"Route", K::View};
const PendingClass SatCount{u"SatCount", u"Satelliten", K::Overlay};
const PendingClass Hdop{u"HDOP", u"Empfang", K::Overlay};
const PendingClass CustomText{u"CustomText", u"Text", K::Overlay};
const PendingClass UniversalGps{u"UniversalGPS", u"UniversalGPS", K::Overlay};
const PendingClass GeoCache{u"GeoCache", u"GeoCache", K::Overlay};
const PendingClass Battery{u"Battery", u"Batterie", K::Overlay};
const PendingClass Clock{u"Clock", u"Uhr", K::Overlay};
const PendingClass Compass{u"Compass", u"Kompass", K::Overlay};

// The match order: the first name that begins with a section's text wins,
// so "Speedo" must stay ahead of "SpeedChart" and "SpeedLog".
const std::array<const ComponentClass*, 23> Classes{
    &SpeedoView::Class,
    &SpeedChart::Class,
    &AltitudeChart::Class,
    &AccelerationChart::Class,
    &Route,
    &BackgroundView::Class,
    &FullLog::Class,
    &SpeedLog::Class,
    &TopSpeed::Class,
    &AverageSpeed::Class,
    &SatCount,
    &Odometer::Class,
    &JourneyTime::Class,
    &Hdop,
    &FpsOverlay::Class,
    &CustomText,
    &UniversalGps,
    &GeoCache,
    &UphillGrade::Class,
    &AccelerationOverlay::Class,
    &Battery,
    &Clock,
    &Compass,
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
