#pragma once
// The shared altitude producer: the GGA altitude to every AltitudeListener.
#include "gps/AltitudeListener.h"
#include "gps/ListenerList.h"
#include "gps/SentenceListener.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace velvane {

// Antenna altitude of a GGA line in tenths of a metre; nullopt when the field
// is missing, empty or not a number.
std::optional<int32_t> GgaAltitude(std::string_view line);

class AltitudeSource final : public SentenceListener {
public:
    void AddListener(AltitudeListener* listener, ListPosition where = ListPosition::Back) {
        m_listeners.Add(listener, where);
    }
    void RemoveListener(AltitudeListener* listener) { m_listeners.Remove(listener); }
    size_t ListenerCount() const { return m_listeners.Count(); }
    std::vector<AltitudeListener*> Listeners() const { return m_listeners.Snapshot(); }

    void OnGGA(std::string_view line) override;
    void OnStale() override;

private:
    ListenerList<AltitudeListener> m_listeners;
};

} // namespace velvane
