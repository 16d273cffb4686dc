#include "instruments/Compass.h"
#include "instruments/OverlayText.h"

#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"
#include "gps/ValueSources.h"

#include <array>

namespace velvane {

namespace {

void AttachCompass(ValueSources& sources, Compass& compass) {
    sources.AddSentenceListener(&compass);
}
void DetachCompass(ValueSources& sources, Compass& compass) {
    sources.RemoveSentenceListener(&compass);
}

constexpr std::array<std::u16string_view, 16> PointNames{
    u"N", u"NNE", u"NE", u"ENE", u"E", u"ESE", u"SE", u"SSE",
    u"S", u"SSW", u"SW", u"WSW", u"W", u"WNW", u"NW", u"NNW",
};

} // namespace

const ComponentClassOf<Compass> Compass::Class{u"Compass", u"Kompass", EntryKind::Overlay,
                                               AttachCompass, DetachCompass};

Compass::Compass(Screen& owner, int width, int height) : TextOverlay(owner, width, height) {}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
void Compass::OnVTG(std::string_view line) {
    int value = NoCourse;
    // An empty field, or one without digits, is no course (not course 0).
    const std::optional<std::string_view> field = NmeaField(line, VtgField::CourseTrue);
    const std::optional<int32_t> course = field ? ReadLeadingInteger(*field) : std::nullopt;
    if (course) {
        // Leading digits only ("123.4" is 123). The offset of 11 degrees
        // centres the sectors on the points; unsigned, so that any value
        // lands in 0..359.
        value = static_cast<int>((static_cast<uint32_t>(*course) + 11u) % 360u);
    }
    if (value == m_value)
        return;
    m_value = value;
    RequestRedraw();
}

std::u16string_view Compass::PointName(int value) {
    if (value < 0 || value >= 360)
        return u"?";
    return PointNames[static_cast<unsigned>(value) * 16u / 360u];
}

int Compass::FormatText(char16_t* buffer, int capacity) {
    return CopyOverlayText(PointName(m_value), buffer, capacity);
}

void Compass::OnStale() {
    m_value = NoCourse;
    RequestRedraw();
}

} // namespace velvane
