#include "gps/SpeedSource.h"
#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"

namespace velvane {

namespace {

// A speed is a magnitude; a negative or unreadable field counts as standing still.
int32_t SpeedField(std::string_view line, int number, int decimals) {
    auto field = NmeaField(line, number);
    if (!field)
        return 0;
    auto value = ReadFixedPoint(*field, decimals);
    return value && *value > 0 ? *value : 0;
}

} // namespace

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
// Knots; hundredths of a knot times 1.852 km/h, single precision.
int32_t RmcSpeed(std::string_view line) {
    const int32_t hundredthsOfKnot = SpeedField(line, RmcField::SpeedKnots, 2);
    return static_cast<int32_t>(static_cast<float>(hundredthsOfKnot) * 0.1852f);
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
// Already km/h.
int32_t VtgSpeed(std::string_view line) {
    return SpeedField(line, VtgField::SpeedKmh, 1);
}

std::unique_ptr<SpeedSource> SpeedSource::Create(int speedProtocol) {
    if (speedProtocol == 1)
        return std::make_unique<RmcSpeedSource>();
    return std::make_unique<VtgSpeedSource>();
}

void SpeedSource::Publish(std::string_view line, int32_t (*read)(std::string_view)) {
    m_lastSpeedTick = platform::GetTickCount();
    if (m_listeners.Empty())
        return;
    const int32_t speed = read(line);
    m_listeners.ForEach([speed](SpeedListener* l) { l->OnSpeed(speed); });
}

void SpeedSource::OnStale() {
    m_listeners.ForEach([](SpeedListener* l) { l->OnStale(); });
}

} // namespace velvane
