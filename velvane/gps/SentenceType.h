#pragma once
// Which of the five sentence types the dashboard reads a line is. The same
// rule serves dispatch and everything else that decides by sentence type.
#include <string_view>

namespace velvane {

enum class SentenceType { VTG, RMC, GGA, GSV, GSA, Other };

enum class TalkerRule {
    GpsOnly,   // only "$GP" sentences count, as the device's receivers sent
    AnyTalker, // any two-letter talker ($GN, $GL, $GA, $GB, $BD, $GQ, $GI ...) counts as "$GP"
};

// "$GPRMC,..." is RMC; a line shorter than 6 bytes, a proprietary "$P..."
// sentence or another talker under GpsOnly is Other.
SentenceType ClassifySentence(std::string_view line, TalkerRule rule);

} // namespace velvane
