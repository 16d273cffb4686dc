#pragma once
#include <cstdint>

namespace velvane {

class SpeedListener {
public:
    virtual ~SpeedListener() = default;
    // Tenths of km/h, never negative.
    virtual void OnSpeed(int32_t speed) = 0;
    // No speed has come for the configured time; the next OnSpeed ends it.
    virtual void OnStale() {}
};

} // namespace velvane
