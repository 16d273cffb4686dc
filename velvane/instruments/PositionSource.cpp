#include "instruments/PositionSource.h"
#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"

namespace velvane {

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
// The position, then the fix quality. Receivers without a fix often repeat a
// stale or made-up position with quality 0; it is not used.
std::optional<GeoPosition> GgaPosition(std::string_view line) {
    auto latitude = NmeaField(line, GgaField::Latitude),
         northSouth = NmeaField(line, GgaField::NorthSouth),
         longitude = NmeaField(line, GgaField::Longitude),
         eastWest = NmeaField(line, GgaField::EastWest);
    if (!latitude || !northSouth || !longitude || !eastWest)
        return std::nullopt;
    GeoPosition position;
    const bool valid = position.SetFromNmea(*latitude, *northSouth, *longitude, *eastWest);
    auto quality = NmeaField(line, GgaField::FixQuality);
    if (valid && quality && *quality == "0")
        return GeoPosition(position.Latitude(), position.Longitude(), false);
    return position;
}

void PositionSource::OnGGA(std::string_view line) {
    if (m_listeners.Empty())
        return;
    auto position = GgaPosition(line);
    if (!position)
        return;
    m_listeners.ForEach([&position](PositionListener* l) { l->OnPosition(*position); });
}

void PositionSource::OnStale() {
    m_listeners.ForEach([](PositionListener* l) { l->OnStale(); });
}

} // namespace velvane
