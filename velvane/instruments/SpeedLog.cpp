#include "instruments/SpeedLog.h"

#include "gps/ValueSources.h"

#include <cstdio>

namespace velvane {

namespace {

void AttachSpeedLog(ValueSources& sources, SpeedLog& log) {
    sources.AddSpeedListener(&log);
}

void DetachSpeedLog(ValueSources& sources, SpeedLog& log) {
    sources.RemoveSpeedListener(&log);
}

} // namespace

void SpeedLog::OnSpeed(int32_t speed) {
    // Digits, a dot and a blank are the same bytes in the ANSI code page.
    const uint32_t v = static_cast<uint32_t>(speed);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%u.%u ", v / 10, v % 10);
    if (length > 0)
        WriteRecord(std::string_view(text, static_cast<size_t>(length)));
}

const ComponentClassOf<SpeedLog> SpeedLog::Class{u"SpeedLog", u"Geschwindigkeit", EntryKind::Log,
                                                 AttachSpeedLog, DetachSpeedLog};

} // namespace velvane
