#pragma once

namespace velvane {

class GeoPosition; // instruments/GeoPosition.h

class PositionListener {
public:
    virtual ~PositionListener() = default;
    virtual void OnPosition(const GeoPosition& position) = 0;
    // No data has come for the configured time; the next value ends it.
    virtual void OnStale() {}
};

} // namespace velvane
