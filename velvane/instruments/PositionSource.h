#pragma once
// The shared position producer: the GGA position to every PositionListener.
#include "gps/ListenerList.h"
#include "gps/PositionListener.h"
#include "gps/SentenceListener.h"
#include "instruments/GeoPosition.h"

#include <optional>
#include <vector>

namespace velvane {

// The position of a GGA line; nullopt when the line ends before field 5.
// Not valid when a coordinate is empty or unreadable, or when the fix
// quality says there is no fix.
std::optional<GeoPosition> GgaPosition(std::string_view line);

class PositionSource final : public SentenceListener {
public:
    void AddListener(PositionListener* listener, ListPosition where = ListPosition::Back) {
        m_listeners.Add(listener, where);
    }
    void RemoveListener(PositionListener* listener) { m_listeners.Remove(listener); }
    size_t ListenerCount() const { return m_listeners.Count(); }
    std::vector<PositionListener*> Listeners() const { return m_listeners.Snapshot(); }

    void OnGGA(std::string_view line) override;
    void OnStale() override;

private:
    ListenerList<PositionListener> m_listeners;
};

} // namespace velvane
