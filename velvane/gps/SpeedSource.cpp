#include "gps/SpeedSource.h"
#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"

namespace velvane {

namespace {

// A speed is a magnitude; a negative field counts as standing still.
std::optional<int32_t> GivenSpeedField(std::string_view line, int number, int decimals) {
    auto field = NmeaField(line, number);
    if (!field || field->empty())
        return std::nullopt;
    auto value = ReadFixedPoint(*field, decimals);
    if (!value)
        return std::nullopt;
    return *value > 0 ? *value : 0;
}

// An unreadable field counts as standing still.
int32_t SpeedField(std::string_view line, int number, int decimals) {
    return GivenSpeedField(line, number, decimals).value_or(0);
}

int32_t KnotsToKmh(int32_t hundredthsOfKnot) {
    return static_cast<int32_t>(static_cast<float>(hundredthsOfKnot) * 0.1852f);
}

} // namespace

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
// Knots; hundredths of a knot times 1.852 km/h, single precision.
int32_t RmcSpeed(std::string_view line) {
    return KnotsToKmh(SpeedField(line, RmcField::SpeedKnots, 2));
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
// Already km/h.
int32_t VtgSpeed(std::string_view line) {
    return SpeedField(line, VtgField::SpeedKmh, 1);
}

std::optional<int32_t> RmcSpeedIfGiven(std::string_view line) {
    if (auto knots = GivenSpeedField(line, RmcField::SpeedKnots, 2))
        return KnotsToKmh(*knots);
    return std::nullopt;
}

std::optional<int32_t> VtgSpeedIfGiven(std::string_view line) {
    return GivenSpeedField(line, VtgField::SpeedKmh, 1);
}

std::unique_ptr<SpeedSource> SpeedSource::Create(int speedProtocol) {
    if (speedProtocol == 1)
        return std::make_unique<RmcSpeedSource>();
    if (speedProtocol == AutoProtocol)
        return std::make_unique<AutoSpeedSource>();
    return std::make_unique<VtgSpeedSource>();
}

void SpeedSource::Publish(std::string_view line, int32_t (*read)(std::string_view)) {
    m_lastSpeedTick = platform::GetTickCount();
    if (m_listeners.Empty())
        return;
    PublishValue(read(line));
}

void SpeedSource::PublishValue(int32_t speed) {
    m_listeners.ForEach([speed](SpeedListener* l) { l->OnSpeed(speed); });
}

void SpeedSource::OnStale() {
    m_listeners.ForEach([](SpeedListener* l) { l->OnStale(); });
}

void AutoSpeedSource::Offer(Protocol from, std::optional<int32_t> speed) {
    if (m_firstSeen == Protocol::Auto)
        m_firstSeen = from;
    const bool other = from != m_current && m_current != Protocol::Auto;
    if (!speed) {
        if (other) {
            m_otherSpeeds = 0; // its speeds must come in a row
            m_otherGives = false;
        } else if (!m_otherGives && (m_current != Protocol::Auto || from == m_firstSeen)) {
            // Neither gives a speed (no fix): standing still, once a
            // second as with one sentence. While the other still gives
            // one, the last speed holds until it takes over.
            PublishValue(0);
        }
        return;
    }
    if (other) {
        m_otherGives = true;
        if (++m_otherSpeeds < SwitchAfter)
            return;
    }
    if (from != m_current)
        m_otherGives = false; // the one given up has been silent
    m_current = from;
    m_otherSpeeds = 0;
    PublishValue(*speed);
}

} // namespace velvane
