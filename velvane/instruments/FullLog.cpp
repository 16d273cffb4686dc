#include "instruments/FullLog.h"

#include "gps/ValueSources.h"
#include "ini/IniText.h"

namespace velvane {

namespace {

constexpr struct {
    const char16_t* key;
    SentenceKind kind;
} FilterKeys[] = {{u"RMC", SentenceRMC}, {u"GGA", SentenceGGA}, {u"GSV", SentenceGSV},
                  {u"VTG", SentenceVTG}, {u"GSA", SentenceGSA}, {u"Other", SentenceOther}};

// First in the receiver's list: the line is logged before any listener can
// react to it, and even if one of them ends the program.
void AttachFullLog(ValueSources& sources, FullLog& log) {
    sources.AddFirstSentenceListener(&log);
}

void DetachFullLog(ValueSources& sources, FullLog& log) {
    sources.RemoveSentenceListener(&log);
}

} // namespace

int FullLog::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Log", name) == 0)
        return LogWriter::FirstSectionId();
    return LogWriter::OnSection(name);
}

int FullLog::FirstSectionId() {
    return LogWriter::FirstSectionId() + 1;
}

bool FullLog::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != LogWriter::FirstSectionId())
        return LogWriter::OnAttribute(sectionId, key, value);
    for (const auto& k : FilterKeys) {
        if (KeywordMatch(k.key, key) == 0) {
            // No means "leave it", so a later line cannot take back an earlier yes.
            if (IniBool(value))
                m_filter |= k.kind;
            return true;
        }
    }
    return false;
}

const ComponentClassOf<FullLog> FullLog::Class{u"FullLog", u"NMEA-Daten", EntryKind::Log,
                                               AttachFullLog, DetachFullLog};

} // namespace velvane
