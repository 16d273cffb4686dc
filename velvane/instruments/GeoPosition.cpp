#include "instruments/GeoPosition.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velvane {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<int32_t> Digits(std::string_view text, size_t from, size_t count) {
    if (from + count > text.size())
        return std::nullopt;
    int32_t value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (!IsDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<int32_t> Digits16(std::u16string_view text, size_t from, size_t count) {
    int32_t value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

// Text form of one coordinate: degrees, minutes, ten-thousandths.
std::u16string Coordinate(char16_t hemisphere, int32_t value) {
    const uint32_t v = static_cast<uint32_t>(std::abs(static_cast<int64_t>(value)));
    char text[48];
    std::snprintf(text, sizeof text, " %02u\xB0 %u.%04u'", v / 600000u, (v % 600000u) / 10000u,
                  v % 10000u);
    std::u16string out(1, hemisphere);
    for (const char* p = text; *p; ++p)
        out += static_cast<char16_t>(static_cast<unsigned char>(*p));
    return out;
}

// Coordinates far outside the globe (nonsense input) must not overflow.
int32_t Clamp32(int64_t v) {
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

} // namespace

// "4807.038" is 48° 07.038'.
std::optional<int32_t> ParseNmeaCoordinate(std::string_view field, int degreeDigits) {
    if (field.empty() || degreeDigits < 1)
        return std::nullopt;
    const size_t degreeCount = static_cast<size_t>(degreeDigits);
    auto degrees = Digits(field, 0, degreeCount);
    auto minutes = Digits(field, degreeCount, 2);
    if (!degrees || !minutes)
        return std::nullopt;
    size_t i = degreeCount + 2;
    int32_t decimals = 0;
    if (i < field.size()) {
        if (field[i] != '.')
            return std::nullopt;
        ++i;
        int place = 1000;
        for (; i < field.size(); ++i, place /= 10) {
            if (!IsDigit(field[i]))
                return std::nullopt;
            decimals += (field[i] - '0') * place;
        }
    }
    return (*degrees * 60 + *minutes) * GeoPosition::UnitsPerMinute + decimals;
}

bool GeoPosition::SetFromNmea(std::string_view latitude, std::string_view northSouth,
                              std::string_view longitude, std::string_view eastWest) {
    auto lat = ParseNmeaCoordinate(latitude, 2);
    auto lon = ParseNmeaCoordinate(longitude, 3);
    *this = GeoPosition();
    m_latitude = lat ? *lat : Missing;
    m_longitude = lon ? *lon : Missing;
    if (!lat || !lon)
        return false;
    if (!northSouth.empty() && northSouth[0] == 'S')
        m_latitude = -m_latitude;
    if (!eastWest.empty() && eastWest[0] == 'W')
        m_longitude = -m_longitude;
    m_valid = true;
    return true;
}

bool GeoPosition::ParseLatitudeText(std::u16string_view text) {
    if (text.size() != 13)
        return false;
    auto degrees = Digits16(text, 2, 2), minutes = Digits16(text, 6, 2),
         decimals = Digits16(text, 9, 4);
    if (!degrees || !minutes || !decimals)
        return false;
    const int32_t value = *degrees * UnitsPerDegree + *minutes * UnitsPerMinute + *decimals;
    m_latitude = text[0] == u'S' ? -value : value;
    m_valid = true;
    return true;
}

bool GeoPosition::ParseLongitudeText(std::u16string_view text) {
    if (text.size() != 14)
        return false;
    auto degrees = Digits16(text, 2, 3), minutes = Digits16(text, 7, 2),
         decimals = Digits16(text, 10, 4);
    if (!degrees || !minutes || !decimals)
        return false;
    const int32_t value = *degrees * UnitsPerDegree + *minutes * UnitsPerMinute + *decimals;
    m_longitude = text[0] == u'W' ? -value : value;
    m_valid = true;
    return true;
}

std::u16string GeoPosition::Text() const {
    return Coordinate(m_latitude < 0 ? u'S' : u'N', m_latitude) + u" / " +
           Coordinate(m_longitude < 0 ? u'W' : u'E', m_longitude);
}

size_t GeoPosition::Format(char16_t* buffer, size_t capacity) const {
    const std::u16string text = Text();
    const size_t count = text.size() < capacity ? text.size() : capacity;
    text.copy(buffer, count);
    return count;
}

int32_t GeoPosition::Northing() const {
    const int64_t lat = m_latitude;
    return Clamp32((lat / 600) * 11132 + ((lat % 600) * 11132) / 600);
}

int32_t GeoPosition::Easting() const {
    if (m_scaleLatitude != m_latitude) {
        // π / (180 · 600000) in single precision; 11132 / 600 cm per unit at the equator.
        const float radians = static_cast<float>(m_latitude) * 2.9088822e-8f;
        m_scale = static_cast<float>(std::cos(static_cast<double>(radians)) * 18.553333333333335);
        m_scaleLatitude = m_latitude;
    }
    return Clamp32(static_cast<int64_t>(static_cast<float>(m_longitude) * m_scale));
}

uint32_t GeoPosition::DistanceTo(const GeoPosition& other) const {
    const int64_t meanLatitude = (static_cast<int64_t>(m_latitude) + other.m_latitude) / 2;
    const LocalProjection projection(GeoPosition(static_cast<int32_t>(meanLatitude), m_longitude));
    // From the unit differences directly: whole centimetres per coordinate
    // would cut up to a centimetre off every step, half a percent of a
    // slow drive sampled once a second.
    const double dx = static_cast<double>(LocalProjection::WrapLongitude(
                          static_cast<int64_t>(other.m_longitude) - m_longitude)) *
                      projection.EastScale();
    const double dy = static_cast<double>(static_cast<int64_t>(other.m_latitude) - m_latitude) *
                      (11132.0 / 600.0);
    const double d = std::round(std::sqrt(dx * dx + dy * dy));
    return d >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(d);
}

namespace {
constexpr int64_t FullCircle = 360LL * GeoPosition::UnitsPerDegree;
// 11132 / 600 cm per latitude unit, and per longitude unit at the equator.
constexpr double CentimetresPerUnit = 11132.0 / 600.0;
constexpr double RadiansPerUnit = 3.14159265358979323846 / (180.0 * GeoPosition::UnitsPerDegree);
} // namespace

LocalProjection::LocalProjection(const GeoPosition& reference)
    : m_reference(reference),
      m_eastScale(std::cos(static_cast<double>(reference.Latitude()) * RadiansPerUnit) *
                  CentimetresPerUnit) {}

int64_t LocalProjection::WrapLongitude(int64_t units) {
    int64_t wrapped = (units + FullCircle / 2) % FullCircle;
    if (wrapped < 0)
        wrapped += FullCircle;
    return wrapped - FullCircle / 2;
}

int64_t LocalProjection::North(const GeoPosition& position) const {
    const int64_t dLat = static_cast<int64_t>(position.Latitude()) - m_reference.Latitude();
    return dLat * 11132 / 600;
}

int64_t LocalProjection::East(const GeoPosition& position) const {
    const int64_t dLon =
        WrapLongitude(static_cast<int64_t>(position.Longitude()) - m_reference.Longitude());
    return std::llround(static_cast<double>(dLon) * m_eastScale);
}

} // namespace velvane
