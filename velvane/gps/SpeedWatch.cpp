#include "gps/SpeedWatch.h"

#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"

namespace velvane {

namespace {

const char* Name(SentenceType type) {
    return type == SentenceType::RMC ? "RMC" : "VTG";
}

// "$GNRMC,..." gives "GNRMC": the address without "$", letters and digits only.
SpeedWatch::Address AddressOf(std::string_view line) {
    SpeedWatch::Address name{};
    for (size_t i = 1, n = 0; i < line.size() && n + 1 < name.size(); ++i, ++n) {
        const char c = line[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            break;
        name[n] = c;
    }
    return name;
}

} // namespace

void SpeedWatch::Note(std::string_view line, SentenceType type) {
    if (m_said)
        return;
    m_lines = true;
    if (Wanted(type) && !m_speed) {
        // Both sentences carry the speed in field 7.
        static_assert(static_cast<int>(RmcField::SpeedKnots) ==
                      static_cast<int>(VtgField::SpeedKmh));
        auto field = NmeaField(line, RmcField::SpeedKnots);
        if (field && !field->empty())
            m_speed = true;
        else
            m_wantedEmpty = true;
    }
    // Once a speed came in this round the names do not matter; this keeps
    // the cost per line small while all is well.
    if (m_speed || m_seenCount == m_seen.size())
        return;
    const Address name = AddressOf(line);
    if (name[0] == 0)
        return;
    for (size_t i = 0; i < m_seenCount; ++i)
        if (m_seen[i] == name)
            return;
    m_seen[m_seenCount++] = name;
}

std::optional<std::string> SpeedWatch::Check(uint32_t nowMs, TalkerRule rule) {
    if (m_said)
        return std::nullopt;
    if (m_lines)
        m_lastLineAt = nowMs;
    const bool silent = !m_lastLineAt || nowMs - *m_lastLineAt > SilenceMs;
    if (m_speed || silent) {
        // Quiet counts while lines keep arriving without a speed.
        m_speed = false;
        m_wantedEmpty = false;
        m_quietSince.reset();
    } else if (!m_quietSince) {
        m_quietSince = nowMs;
    }
    m_lines = false;
    if (!m_quietSince || nowMs - *m_quietSince < QuietMs)
        return std::nullopt;
    m_said = true;
    std::string seen;
    for (size_t i = 0; i < m_seenCount; ++i)
        seen += (seen.empty() ? "" : " ") + std::string(m_seen[i].data());
    return "no speed from the GPS for " + std::to_string(QuietMs / 1000) +
           " s; sentences arriving: " + seen + "; " + Advice(rule);
}

bool SpeedWatch::Seen(std::string_view type, TalkerRule rule) const {
    for (size_t i = 0; i < m_seenCount; ++i) {
        const std::string_view name(m_seen[i].data());
        const bool talker =
            rule == TalkerRule::GpsOnly ? name.substr(0, 2) == "GP" : name[0] != 'P';
        if (name.size() == 5 && talker && name.substr(2) == type)
            return true;
    }
    return false;
}

std::string SpeedWatch::Advice(TalkerRule rule) const {
    if (m_either) {
        if (m_wantedEmpty)
            return "the RMC and VTG sentences have no speed yet (no fix?)";
        if (rule == TalkerRule::GpsOnly &&
            (Seen("RMC", TalkerRule::AnyTalker) || Seen("VTG", TalkerRule::AnyTalker)))
            return "the receiver talks as another talker than $GP: set \"AnyTalker = y\" in the "
                   "GPS settings file";
        return "neither RMC nor VTG arrives: tell the receiver to send one of them";
    }
    const std::string wanted = Name(m_wanted);
    const std::string other = m_wanted == SentenceType::RMC ? "VTG" : "RMC";
    if (m_wantedEmpty)
        return "the " + wanted + " sentences have no speed yet (no fix?)";
    if (rule == TalkerRule::GpsOnly && Seen(wanted, TalkerRule::AnyTalker))
        return "the receiver talks as another talker than $GP: set \"AnyTalker = y\" in the GPS "
               "settings file";
    if (Seen(other, rule))
        return "the speed is read from " + wanted +
               ", which does not arrive: set \"SpeedProtocol = " + other + "\" in Velvane.ini";
    return "neither RMC nor VTG arrives: tell the receiver to send " + wanted +
           " (\"Protocol = " + wanted + "\" in the GPS settings file)";
}

} // namespace velvane
