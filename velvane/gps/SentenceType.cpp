#include "gps/SentenceType.h"

#include <cstring>

namespace velvane {

namespace {

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsTalker(std::string_view line, TalkerRule rule) {
    if (rule == TalkerRule::GpsOnly)
        return line[1] == 'G' && line[2] == 'P';
    // "$P" starts a proprietary sentence, whatever follows.
    return IsUpper(line[1]) && line[1] != 'P' && IsUpper(line[2]);
}

} // namespace

SentenceType ClassifySentence(std::string_view line, TalkerRule rule) {
    if (line.size() < 6 || line[0] != '$' || !IsTalker(line, rule))
        return SentenceType::Other;
    static constexpr struct {
        const char* name;
        SentenceType type;
    } Types[] = {{"VTG", SentenceType::VTG},
                 {"RMC", SentenceType::RMC},
                 {"GGA", SentenceType::GGA},
                 {"GSV", SentenceType::GSV},
                 {"GSA", SentenceType::GSA}};
    for (const auto& t : Types)
        if (std::memcmp(line.data() + 3, t.name, 3) == 0)
            return t.type;
    return SentenceType::Other;
}

} // namespace velvane
