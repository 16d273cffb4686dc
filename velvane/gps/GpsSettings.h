#pragma once
// Section "GPS-Settings" of the GPS ini: which port, how fast, and what the
// receiver is told to send.
#include "gps/ProtocolEntry.h"

#include <cstdint>
#include <vector>

namespace velvane {

struct GpsSettings {
    static constexpr int32_t MinBufferSize = 128;
    // Larger values are refused: no receiver needs more, and a mistyped
    // size must not make start-up allocate gigabytes.
    static constexpr int32_t MaxBufferSize = 65536;

    std::vector<ProtocolEntry> protocols;
    int32_t comPort = 0;
    int32_t baudRate = 0;
    int32_t defaultInterval = 1; // seconds, for "Protocol" lines that follow
    int32_t bufferSize = 256;
    bool allOff = false;
    bool anyTalker = false; // "AnyTalker": every two-letter talker counts as "$GP"

    // The smallest interval of all, in milliseconds: how often to poll.
    uint32_t PollPeriodMs() const;
};

} // namespace velvane
