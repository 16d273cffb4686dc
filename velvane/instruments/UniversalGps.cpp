#include "instruments/UniversalGps.h"
#include "instruments/OverlayText.h"

#include "gps/NmeaField.h"
#include "gps/ValueSources.h"
#include "ini/IniText.h"

#include "platform/messagebox.h"
#include "platform/text.h"

#include <array>

namespace velvane {

namespace {

void AttachInfo(ValueSources& sources, UniversalGps& overlay) {
    sources.AddSentenceListener(&overlay);
}
void DetachInfo(ValueSources& sources, UniversalGps& overlay) {
    sources.RemoveSentenceListener(&overlay);
}

// The sentences with a type of their own, in the order of the types.
constexpr std::array<std::u16string_view, 5> KnownSentences{u"GPRMC", u"GPGGA", u"GPGSV", u"GPVTG",
                                                            u"GPGSA"};

constexpr std::string_view NoIndex = "Index?";

} // namespace

const ComponentClassOf<UniversalGps> UniversalGps::Class{
    u"UniversalGPS", u"UniversalGPS", EntryKind::Overlay, AttachInfo, DetachInfo};

UniversalGps::UniversalGps(Screen& owner, int width, int height)
    : TextOverlay(owner, width, height) {
    m_text.reserve(InitialCapacity);
}

bool UniversalGps::Load(std::u16string_view path) {
    m_customName.clear();
    return TextOverlay::Load(path);
}

int UniversalGps::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"GPS-Info", name) == 0)
        return InfoSectionId();
    return TextOverlay::OnSection(name);
}

int UniversalGps::FirstSectionId() {
    return TextOverlay::FirstSectionId() + 1;
}

bool UniversalGps::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != InfoSectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"Index", key) == 0) {
        m_index = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"Sentence", key) == 0) {
        for (size_t i = 0; i < KnownSentences.size(); ++i) {
            if (value == KnownSentences[i]) {
                m_type = static_cast<Sentence>(i);
                return true;
            }
        }
        m_type = Sentence::Other;
        m_customName.clear();
        if (std::optional<std::string> name = platform::ToAnsi(value)) {
            m_customName = std::move(*name);
        } else {
            platform::MessageBox(nullptr,
                                 u"Die im UniversalGPS-Overlay angegebene NMEA-Zeile kann nicht "
                                 u"konvertiert werden.",
                                 u"Fehler", platform::MessageBoxButtons::Ok,
                                 platform::MessageBoxIcon::Exclamation);
        }
        return true;
    }
    return false;
}

void UniversalGps::OnRMC(std::string_view line) {
    if (m_type == Sentence::RMC)
        Take(line);
}
void UniversalGps::OnGGA(std::string_view line) {
    if (m_type == Sentence::GGA)
        Take(line);
}
void UniversalGps::OnGSV(std::string_view line) {
    if (m_type == Sentence::GSV)
        Take(line);
}
void UniversalGps::OnVTG(std::string_view line) {
    if (m_type == Sentence::VTG)
        Take(line);
}
void UniversalGps::OnGSA(std::string_view line) {
    if (m_type == Sentence::GSA)
        Take(line);
}

void UniversalGps::OnOther(std::string_view line) {
    const size_t n = m_customName.size();
    if (m_type != Sentence::Other || n == 0)
        return;
    // The first byte, "$" or whatever the name was written with, is not
    // compared; a name of one byte takes every line.
    if (n > 1 &&
        (line.size() < n || line.substr(1, n - 1) != std::string_view(m_customName).substr(1)))
        return;
    Take(line);
}

void UniversalGps::Take(std::string_view line) {
    std::string_view value = NoIndex;
    if (const std::optional<size_t> at = FindNmeaField(line, m_index)) {
        value = line.substr(*at);
        // Up to the next comma: the last field keeps its checksum and line end.
        value = value.substr(0, value.find(','));
    }
    m_text = platform::FromAnsi(value);
    RequestRedraw();
}

int UniversalGps::FormatText(char16_t* buffer, int capacity) {
    return CopyOverlayText(std::u16string_view(m_text), buffer, capacity);
}

} // namespace velvane
