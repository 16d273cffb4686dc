#include "instruments/SatCount.h"
#include "instruments/OverlayText.h"

#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"
#include "gps/ValueSources.h"

#include <cstdio>

namespace velvane {

namespace {

void AttachSatCount(ValueSources& sources, SatCount& overlay) {
    sources.AddSentenceListener(&overlay);
}
void DetachSatCount(ValueSources& sources, SatCount& overlay) {
    sources.RemoveSentenceListener(&overlay);
}

// The field's leading integer, Unknown when it is missing or empty. A count
// cannot be negative: a minus sign is garbage, not a count.
int CountField(std::string_view line, int field) {
    const std::optional<std::string_view> text = NmeaField(line, field);
    const std::optional<int32_t> value = text ? ReadLeadingInteger(*text) : std::nullopt;
    return value && *value >= 0 ? *value : SatCount::Unknown;
}

} // namespace

const ComponentClassOf<SatCount> SatCount::Class{u"SatCount", u"Satelliten", EntryKind::Overlay,
                                                 AttachSatCount, DetachSatCount};

SatCount::SatCount(Screen& owner, int width, int height) : TextOverlay(owner, width, height) {}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void SatCount::OnGGA(std::string_view line) {
    const int used = CountField(line, GgaField::SatellitesUsed);
    if (used == m_used)
        return;
    m_used = used;
    RequestRedraw();
}

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
void SatCount::OnGSV(std::string_view line) {
    const int inView = CountField(line, GsvField::SatellitesInView);
    if (inView == m_inView)
        return;
    m_inView = inView;
    RequestRedraw();
}

std::string SatCount::Text(int used, int inView) {
    char text[32];
    if (used >= 0 && inView >= 0)
        std::snprintf(text, sizeof text, "%u/%uSats", static_cast<unsigned>(used),
                      static_cast<unsigned>(inView));
    else if (used >= 0)
        std::snprintf(text, sizeof text, "%uSats", static_cast<unsigned>(used));
    else if (inView >= 0)
        std::snprintf(text, sizeof text, "-/%uSats", static_cast<unsigned>(inView));
    else
        std::snprintf(text, sizeof text, "-Sats");
    return text;
}

int SatCount::FormatText(char16_t* buffer, int capacity) {
    return CopyOverlayText(Text(m_used, m_inView), buffer, capacity);
}

void SatCount::OnStale() {
    m_used = m_inView = Unknown;
    RequestRedraw();
}

} // namespace velvane
