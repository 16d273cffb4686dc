#pragma once
// A place on earth in 1/10000 arc minute units, its text forms, and a flat
// local projection to centimetres north and east.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace velvane {

// An NMEA coordinate field "ddmm.mmmm" (degreeDigits 2) or "dddmm.mmmm" (3)
// in 1/10000 arc minutes: "4807.038" gives 28870380. Decimals past the fourth
// are cut off, missing ones count 0. Nullopt for an empty field or one that is
// not of this form.
std::optional<int32_t> ParseNmeaCoordinate(std::string_view field, int degreeDigits);

class GeoPosition {
public:
    static constexpr int32_t UnitsPerDegree = 600000;
    static constexpr int32_t UnitsPerMinute = 10000;
    // What an empty NMEA field leaves in a coordinate.
    static constexpr int32_t Missing = -1;

    GeoPosition() = default;
    GeoPosition(int32_t latitude, int32_t longitude, bool valid = true)
        : m_latitude(latitude), m_longitude(longitude), m_valid(valid) {}

    int32_t Latitude() const { return m_latitude; }
    int32_t Longitude() const { return m_longitude; }
    bool IsValid() const { return m_valid; }

    // From the fields latitude, "N"/"S", longitude, "E"/"W". Valid when both
    // coordinates were read; an unreadable one is kept as Missing.
    bool SetFromNmea(std::string_view latitude, std::string_view northSouth,
                     std::string_view longitude, std::string_view eastWest);

    // "N 48° 07.0380" (13 characters) and "E 011° 31.0000" (14 characters):
    // only the hemisphere letter and the digit positions count. False, and
    // nothing changed, for text of another length or with a non-digit where a
    // digit belongs.
    bool ParseLatitudeText(std::u16string_view text);
    bool ParseLongitudeText(std::u16string_view text);

    // "N 48° 7.0380' / E 11° 31.0000'". Writes at most capacity characters
    // (no terminator) and returns how many; capacity when cut short.
    size_t Format(char16_t* buffer, size_t capacity) const;
    std::u16string Text() const;

    // Centimetres north of the equator, 111.32 km per degree.
    int32_t Northing() const;
    // Centimetres east of the prime meridian at this latitude's scale.
    int32_t Easting() const;
    // Flat-earth distance in centimetres, both positions projected with the
    // longitude scale of their mean latitude and the longitude difference
    // taken the shorter way round the globe. Loses low bits over long
    // distances.
    uint32_t DistanceTo(const GeoPosition& other) const;

private:
    int32_t m_latitude = 0;
    int32_t m_longitude = 0;
    bool m_valid = false;
    // Centimetres per longitude unit, cached for the latitude it was made for.
    mutable int32_t m_scaleLatitude = std::numeric_limits<int32_t>::min();
    mutable float m_scale = 0.0f;
};

// Centimetres north and east of a reference position for positions that are
// combined in one picture or one distance: all share the longitude scale of
// the reference latitude (each position's own scale would bend a drive due
// north far from the prime meridian), and longitude differences take the
// shorter way round the globe, so the 180° meridian is no seam.
class LocalProjection {
public:
    LocalProjection() : LocalProjection(GeoPosition(0, 0)) {}
    explicit LocalProjection(const GeoPosition& reference);

    const GeoPosition& Reference() const { return m_reference; }
    // Centimetres per longitude unit at the reference latitude.
    double EastScale() const { return m_eastScale; }

    int64_t North(const GeoPosition& position) const;
    int64_t East(const GeoPosition& position) const;

    // A longitude difference in units folded into [-180°, 180°).
    static int64_t WrapLongitude(int64_t units);

private:
    GeoPosition m_reference;
    double m_eastScale;
};

} // namespace velvane
