#include "gps/GpsSettings.h"

namespace velvane {

uint32_t GpsSettings::PollPeriodMs() const {
    // Unsigned on purpose: a negative interval counts as huge, not as smallest.
    uint32_t seconds = static_cast<uint32_t>(defaultInterval);
    for (const auto& entry : protocols)
        if (entry.interval < seconds)
            seconds = entry.interval;
    // Kept within what a window timer takes, as the device's timers are.
    const uint64_t ms = static_cast<uint64_t>(seconds) * 1000u;
    if (ms < 10)
        return 10;
    return ms > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<uint32_t>(ms);
}

} // namespace velvane
