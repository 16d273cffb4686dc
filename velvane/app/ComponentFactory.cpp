#include "app/ComponentFactory.h"

#include "ini/IniText.h"
#include "instruments/EmptyViewEntry.h"
#include "instruments/SpeedoViewEntry.h"

#include <array>

namespace velvane {

namespace {

template <class Entry> std::unique_ptr<ComponentEntry> Make(Screen& screen, TachoModel* model) {
    return std::make_unique<Entry>(screen, model);
}

// One function per label, since the table holds plain function pointers.
template <const char16_t* Label>
std::unique_ptr<ComponentEntry> Pending(Screen& screen, TachoModel* model) {
    return std::make_unique<PendingEntry>(screen, model, Label);
}

constexpr char16_t SpeedChart[] = u"Geschw.";
constexpr char16_t AltitudeChart[] = u"Höhe";
constexpr char16_t AccelerationChart[] = u"Beschl.";
constexpr char16_t Route[] = u"Route";
constexpr char16_t FullLog[] = u"NMEA-Daten";
constexpr char16_t SpeedLog[] = u"Geschwindigkeit";
constexpr char16_t TopSpeed[] = u"Vmax";
constexpr char16_t AverageSpeed[] = u"Ø-Geschw.";
constexpr char16_t SatCount[] = u"Satelliten";
constexpr char16_t Odometer[] = u"Kilometerzähler";
constexpr char16_t JourneyTime[] = u"Fahrzeit";
constexpr char16_t Hdop[] = u"Empfang";
constexpr char16_t Fps[] = u"FPS";
constexpr char16_t CustomText[] = u"Text";
constexpr char16_t UniversalGps[] = u"UniversalGPS";
constexpr char16_t GeoCache[] = u"GeoCache";
constexpr char16_t UphillGrade[] = u"Steigung";
constexpr char16_t AccelerationOverlay[] = u"Beschleunigung";
constexpr char16_t Battery[] = u"Batterie";
constexpr char16_t Clock[] = u"Uhr";
constexpr char16_t Compass[] = u"Kompass";

using K = EntryKind;

const std::array<ComponentClass, 23> Classes{{
    {u"Speedo", K::View, u"Tacho", &Make<SpeedoViewEntry>},
    {u"SpeedChart", K::View, SpeedChart, &Pending<SpeedChart>},
    {u"AltitudeChart", K::View, AltitudeChart, &Pending<AltitudeChart>},
    {u"AccelerationChart", K::View, AccelerationChart, &Pending<AccelerationChart>},
    {u"Route", K::View, Route, &Pending<Route>},
    {u"Empty", K::View, u"Leer", &Make<EmptyViewEntry>},
    {u"FullLog", K::Log, FullLog, &Pending<FullLog>},
    {u"SpeedLog", K::Log, SpeedLog, &Pending<SpeedLog>},
    {u"TopSpeed", K::Overlay, TopSpeed, &Pending<TopSpeed>},
    {u"AverageSpeed", K::Overlay, AverageSpeed, &Pending<AverageSpeed>},
    {u"SatCount", K::Overlay, SatCount, &Pending<SatCount>},
    {u"Odometer", K::Overlay, Odometer, &Pending<Odometer>},
    {u"JourneyTime", K::Overlay, JourneyTime, &Pending<JourneyTime>},
    {u"HDOP", K::Overlay, Hdop, &Pending<Hdop>},
    {u"FPS", K::Overlay, Fps, &Pending<Fps>},
    {u"CustomText", K::Overlay, CustomText, &Pending<CustomText>},
    {u"UniversalGPS", K::Overlay, UniversalGps, &Pending<UniversalGps>},
    {u"GeoCache", K::Overlay, GeoCache, &Pending<GeoCache>},
    {u"UphillGrade", K::Overlay, UphillGrade, &Pending<UphillGrade>},
    {u"AccelerationOverlay", K::Overlay, AccelerationOverlay, &Pending<AccelerationOverlay>},
    {u"Battery", K::Overlay, Battery, &Pending<Battery>},
    {u"Clock", K::Overlay, Clock, &Pending<Clock>},
    {u"Compass", K::Overlay, Compass, &Pending<Compass>},
}};

} // namespace

std::span<const ComponentClass> ComponentClasses() {
    return Classes;
}

const ComponentClass* FindComponentClass(std::u16string_view name) {
    for (const ComponentClass& cls : Classes)
        if (KeywordMatch(cls.sectionName, name) == 0)
            return &cls;
    return nullptr;
}

} // namespace velvane
