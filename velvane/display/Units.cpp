#include "display/Units.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace velvane {

namespace {

// value * numerator / denominator, rounded half away from zero, in 64 bits.
int32_t Scaled(int32_t value, int64_t numerator, int64_t denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    const int64_t q =
        product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    // Feet outgrow metres; a wild altitude stays at the end of the range.
    return static_cast<int32_t>(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

std::u16string Widen(const char* text) {
    std::u16string out;
    for (; *text; ++text)
        out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}

// Hundredths as "x.yy" followed by unit.
std::u16string Hundredths(uint64_t hundredths, const char* unit) {
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%02llu%s",
                  static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100), unit);
    return Widen(text);
}

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr uint64_t CentimetresPerMileTimes10 = 1609344; // 160934.4 cm
constexpr uint64_t CentimetresPerNauticalMile = 185200;

} // namespace

int32_t Units::Speed(int32_t tenthsKmh) const {
    switch (m_system) {
    case UnitSystem::Imperial:
        return Scaled(tenthsKmh, 1000000, 1609344);
    case UnitSystem::Nautical:
        return Scaled(tenthsKmh, 1000, 1852);
    case UnitSystem::Metric:
        break;
    }
    return tenthsKmh;
}

std::u16string_view Units::SpeedUnit() const {
    switch (m_system) {
    case UnitSystem::Imperial:
        return u"mph";
    case UnitSystem::Nautical:
        return u"kn";
    case UnitSystem::Metric:
        break;
    }
    return u"km/h";
}

int32_t Units::Altitude(int32_t tenthsMetres) const {
    return m_system == UnitSystem::Imperial ? Scaled(tenthsMetres, 10000, 3048) : tenthsMetres;
}

std::u16string_view Units::AltitudeUnit() const {
    return m_system == UnitSystem::Imperial ? u"ft" : u"m";
}

std::u16string Units::DistanceText(uint32_t centimetres) const {
    const uint64_t cm = centimetres;
    switch (m_system) {
    case UnitSystem::Imperial:
        // Below a tenth of a mile whole feet read better than 0.0x mi.
        if (cm * 100 < CentimetresPerMileTimes10) {
            char text[32];
            std::snprintf(text, sizeof text, "%lluft",
                          static_cast<unsigned long long>(cm * 100 / 3048));
            return Widen(text);
        }
        return Hundredths(cm * 1000 / CentimetresPerMileTimes10, "mi");
    case UnitSystem::Nautical:
        return Hundredths(cm * 100 / CentimetresPerNauticalMile, "nm");
    case UnitSystem::Metric:
        break;
    }
    if (cm < 100000)
        return Hundredths(cm, "m");
    return Hundredths(cm / 1000, "km");
}

bool ParseUnitSystem(std::u16string_view text, UnitSystem& system) {
    for (UnitSystem s : {UnitSystem::Metric, UnitSystem::Imperial, UnitSystem::Nautical}) {
        const std::u16string_view name = UnitSystemName(s);
        if (std::equal(text.begin(), text.end(), name.begin(), name.end(),
                       [](char16_t a, char16_t b) { return Lower(a) == b; })) {
            system = s;
            return true;
        }
    }
    return false;
}

std::u16string_view UnitSystemName(UnitSystem system) {
    switch (system) {
    case UnitSystem::Imperial:
        return u"imperial";
    case UnitSystem::Nautical:
        return u"nautical";
    case UnitSystem::Metric:
        break;
    }
    return u"metric";
}

} // namespace velvane
