#pragma once
#include <cstdint>

namespace velvane {

class AltitudeListener {
public:
    virtual ~AltitudeListener() = default;
    // Tenths of a metre; negative below sea level.
    virtual void OnAltitude(int32_t altitude) = 0;
    // No data has come for the configured time; the next value ends it.
    virtual void OnStale() {}
};

} // namespace velvane
