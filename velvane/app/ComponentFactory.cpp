#include "app/ComponentFactory.h"

#include "ini/IniText.h"
#include "instruments/BackgroundView.h"
#include "instruments/GeoCacheOverlay.h"
#include "instruments/RouteMapView.h"
#include "instruments/SpeedoView.h"

#include <array>

namespace velvane {

namespace {

using K = EntryKind;

const PendingClass SpeedChart{u"SpeedChart", u"Geschw.", K::View};
const PendingClass AltitudeChart{u"AltitudeChart", u"Höhe", K::View};
const PendingClass AccelerationChart{u"AccelerationChart", u"Beschl.", K::View};
const PendingClass FullLog{u"FullLog", u"NMEA-Daten", K::Log};
const PendingClass SpeedLog{u"SpeedLog", u"Geschwindigkeit", K::Log};
const PendingClass TopSpeed{u"TopSpeed", u"Vmax", K::Overlay};
const PendingClass AverageSpeed{u"AverageSpeed", u"Ø-Geschw.", K::Overlay};
const PendingClass SatCount{u"SatCount", u"Satelliten", K::Overlay};
const PendingClass Odometer{u"Odometer", u"Kilometerzähler", K::Overlay};
const PendingClass JourneyTime{u"JourneyTime", u"Fahrzeit", K::Overlay};
const PendingClass Hdop{u"HDOP", u"Empfang", K::Overlay};
const PendingClass Fps{u"FPS", u"FPS", K::Overlay};
const PendingClass CustomText{u"CustomText", u"Text", K::Overlay};
const PendingClass UniversalGps{u"UniversalGPS", u"UniversalGPS", K::Overlay};
const PendingClass UphillGrade{u"UphillGrade", u"Steigung", K::Overlay};
const PendingClass AccelerationOverlay{u"AccelerationOverlay", u"Beschleunigung", K::Overlay};
const PendingClass Battery{u"Battery", u"Batterie", K::Overlay};
const PendingClass Clock{u"Clock", u"Uhr", K::Overlay};
const PendingClass Compass{u"Compass", u"Kompass", K::Overlay};

// The match order: the first name that begins with a section's text wins,
// so "Speedo" must stay ahead of "SpeedChart" and "SpeedLog".
const std::array<const ComponentClass*, 23> Classes{
    &SpeedoView::Class,
    &SpeedChart,
    &AltitudeChart,
    &AccelerationChart,
    &RouteMapView::Class,
    &BackgroundView::Class,
    &FullLog,
    &SpeedLog,
    &TopSpeed,
    &AverageSpeed,
    &SatCount,
    &Odometer,
    &JourneyTime,
    &Hdop,
    &Fps,
    &CustomText,
    &UniversalGps,
    &GeoCacheOverlay::Class,
    &UphillGrade,
    &AccelerationOverlay,
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
