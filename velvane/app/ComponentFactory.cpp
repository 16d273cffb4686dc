#include "app/ComponentFactory.h"

#include "ini/IniText.h"
#include "instruments/BackgroundView.h"
#include "instruments/Battery.h"
#include "instruments/Clock.h"
#include "instruments/Compass.h"
#include "instruments/CustomText.h"
#include "instruments/Hdop.h"
#include "instruments/SatCount.h"
#include "instruments/SpeedoView.h"
#include "instruments/UniversalGps.h"

#include <array>

namespace velvane {

namespace {

using K = EntryKind;

const PendingClass SpeedChart{u"SpeedChart", u"Geschw.", K::View};
const PendingClass AltitudeChart{u"AltitudeChart", u"Höhe", K::View};
const PendingClass AccelerationChart{u"AccelerationChart", u"Beschl.", K::View};
const PendingClass Route{u"Route", u"Route", K::View};
const PendingClass FullLog{u"FullLog", u"NMEA-Daten", K::Log};
const PendingClass SpeedLog{u"SpeedLog", u"Geschwindigkeit", K::Log};
const PendingClass TopSpeed{u"TopSpeed", u"Vmax", K::Overlay};
const PendingClass AverageSpeed{u"AverageSpeed", u"Ø-Geschw.", K::Overlay};
const PendingClass Odometer{u"Odometer", u"Kilometerzähler", K::Overlay};
const PendingClass JourneyTime{u"JourneyTime", u"Fahrzeit", K::Overlay};
const PendingClass Fps{u"FPS", u"FPS", K::Overlay};
const PendingClass GeoCache{u"GeoCache", u"GeoCache", K::Overlay};
const PendingClass UphillGrade{u"UphillGrade", u"Steigung", K::Overlay};
const PendingClass AccelerationOverlay{u"AccelerationOverlay", u"Beschleunigung", K::Overlay};

// The match order: the first name that begins with a section's text wins,
// so "Speedo" must stay ahead of "SpeedChart" and "SpeedLog".
const std::array<const ComponentClass*, 23> Classes{
    &SpeedoView::Class,
    &SpeedChart,
    &AltitudeChart,
    &AccelerationChart,
    &Route,
    &BackgroundView::Class,
    &FullLog,
    &SpeedLog,
    &TopSpeed,
    &AverageSpeed,
    &SatCount::Class,
    &Odometer,
    &JourneyTime,
    &Hdop::Class,
    &Fps,
    &CustomText::Class,
    &UniversalGps::Class,
    &GeoCache,
    &UphillGrade,
    &AccelerationOverlay,
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
