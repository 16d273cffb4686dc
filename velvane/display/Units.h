#pragma once
// The units the dashboard shows: speeds, distances and altitudes arrive and
// are stored in km/h, centimetres and metres whatever is chosen; only what is
// drawn is converted.
#include <cstdint>
#include <string>
#include <string_view>

namespace velvane {

enum class UnitSystem { Metric, Imperial, Nautical };

// Exact factors: 1 mi = 1609.344 m, 1 nm = 1852 m, 1 ft = 0.3048 m.
class Units {
public:
    constexpr Units() = default;
    constexpr explicit Units(UnitSystem system) : m_system(system) {}

    UnitSystem System() const { return m_system; }

    // Tenths of km/h to tenths of the shown speed unit, rounded to the nearest.
    int32_t Speed(int32_t tenthsKmh) const;
    // "km/h", "mph" or "kn".
    std::u16string_view SpeedUnit() const;

    // Tenths of metres to tenths of metres or feet, rounded to the nearest.
    int32_t Altitude(int32_t tenthsMetres) const;
    // "m" or "ft" (nautical charts give heights in metres).
    std::u16string_view AltitudeUnit() const;

    // A distance in centimetres, truncated as a trip counter should be:
    // "12.34m" / "1.23km", "528ft" / "0.10mi" (feet below a tenth of a mile),
    // or "0.05nm".
    std::u16string DistanceText(uint32_t centimetres) const;

private:
    UnitSystem m_system = UnitSystem::Metric;
};

// "metric", "imperial" or "nautical", in any case; false for anything else.
bool ParseUnitSystem(std::u16string_view text, UnitSystem& system);
std::u16string_view UnitSystemName(UnitSystem system);

} // namespace velvane
