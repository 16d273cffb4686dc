#include "gps/AltitudeSource.h"
#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"

namespace velvane {

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
// Metres, negative below the geoid.
std::optional<int32_t> GgaAltitude(std::string_view line) {
    auto field = NmeaField(line, GgaField::Altitude);
    if (!field)
        return std::nullopt;
    return ReadFixedPoint(*field, 1);
}

void AltitudeSource::OnGGA(std::string_view line) {
    if (m_listeners.Empty())
        return;
    auto altitude = GgaAltitude(line);
    if (!altitude)
        return;
    m_listeners.ForEach([a = *altitude](AltitudeListener* l) { l->OnAltitude(a); });
}

void AltitudeSource::OnStale() {
    m_listeners.ForEach([](AltitudeListener* l) { l->OnStale(); });
}

} // namespace velvane
