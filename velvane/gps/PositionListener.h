#pragma once

namespace velvane {

class GeoPosition; // instruments/GeoPosition.h

class PositionListener {
public:
    virtual ~PositionListener() = default;
    virtual void OnPosition(const GeoPosition& position) = 0;
};

} // namespace velvane
