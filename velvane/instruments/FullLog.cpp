#include "instruments/FullLog.h"

#include "gps/ValueSources.h"
#include "ini/IniText.h"

namespace velvane {

namespace {

// The filter bit a "Log" key stands for; 0 for none.
unsigned FilterBit(std::u16string_view key) {
    if (KeywordMatch(u"RMC", key) == 0)
        return SentenceRMC;
    if (KeywordMatch(u"GGA", key) == 0)
        return SentenceGGA;
    if (KeywordMatch(u"GSV", key) == 0)
        return SentenceGSV;
    if (KeywordMatch(u"VTG", key) == 0)
        return SentenceVTG;
    if (KeywordMatch(u"GSA", key) == 0)
        return SentenceGSA;
    if (KeywordMatch(u"Other", key) == 0)
        return SentenceOther;
    return 0;
}

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
    const unsigned bit = FilterBit(key);
    if (!bit)
        return false;
    // No means "leave it", so a later line cannot take back an earlier yes.
    if (IniBool(value))
        m_filter |= bit;
    return true;
}

const ComponentClassOf<FullLog> FullLog::Class{u"FullLog", u"NMEA-Daten", EntryKind::Log,
                                               AttachFullLog, DetachFullLog};

} // namespace velvane
