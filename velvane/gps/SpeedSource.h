#pragma once
// The shared speed producer: reads the speed of one sentence type and hands it
// to every SpeedListener. Two variants, chosen by the "SpeedProtocol" setting.
#include "gps/ListenerList.h"
#include "gps/SentenceListener.h"
#include "gps/SpeedListener.h"

#include "platform/clock.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velvane {

// Speed over ground of an RMC line (knots) in tenths of km/h. An empty,
// missing, malformed or negative field reads 0.
int32_t RmcSpeed(std::string_view line);
// Speed of a VTG line (km/h) in tenths of km/h, read the same way.
int32_t VtgSpeed(std::string_view line);

class SpeedSource : public SentenceListener {
public:
    enum class Protocol { VTG, RMC };

    // The RMC variant for setting value 1, the VTG variant for any other.
    static std::unique_ptr<SpeedSource> Create(int speedProtocol);

    virtual Protocol GetProtocol() const = 0;
    void AddListener(SpeedListener* listener, ListPosition where = ListPosition::Back) {
        m_listeners.Add(listener, where);
    }
    void RemoveListener(SpeedListener* listener) { m_listeners.Remove(listener); }
    size_t ListenerCount() const { return m_listeners.Count(); }
    std::vector<SpeedListener*> Listeners() const { return m_listeners.Snapshot(); }

    // When the last speed was read (or the source was made).
    uint32_t LastSpeedTick() const { return m_lastSpeedTick; }
    void OnStale() override;

protected:
    // Reads nothing while nobody listens.
    void Publish(std::string_view line, int32_t (*read)(std::string_view));

private:
    ListenerList<SpeedListener> m_listeners;
    uint32_t m_lastSpeedTick = platform::GetTickCount();
};

class RmcSpeedSource final : public SpeedSource {
public:
    Protocol GetProtocol() const override { return Protocol::RMC; }
    void OnRMC(std::string_view line) override { Publish(line, RmcSpeed); }
};

class VtgSpeedSource final : public SpeedSource {
public:
    Protocol GetProtocol() const override { return Protocol::VTG; }
    void OnVTG(std::string_view line) override { Publish(line, VtgSpeed); }
};

} // namespace velvane
