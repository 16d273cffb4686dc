#pragma once
// The shared speed producer: reads the speed of one sentence type and hands it
// to every SpeedListener. Three variants, chosen by the "SpeedProtocol" setting.
#include "gps/ListenerList.h"
#include "gps/SentenceListener.h"
#include "gps/SpeedListener.h"

#include "platform/clock.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace velvane {

// Speed over ground of an RMC line (knots) in tenths of km/h. An empty,
// missing, malformed or negative field reads 0.
int32_t RmcSpeed(std::string_view line);
// Speed of a VTG line (km/h) in tenths of km/h, read the same way.
int32_t VtgSpeed(std::string_view line);
// The same, or nothing when the field is empty, missing or unreadable.
std::optional<int32_t> RmcSpeedIfGiven(std::string_view line);
std::optional<int32_t> VtgSpeedIfGiven(std::string_view line);

class SpeedSource : public SentenceListener {
public:
    enum class Protocol { VTG, RMC, Auto };
    static constexpr int AutoProtocol = 3;

    // The RMC variant for setting value 1, the one taking either for
    // AutoProtocol, the VTG variant for any other.
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
    void PublishValue(int32_t speed);

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

// Takes the speed from whichever of RMC and VTG gives one, but from one of
// them at a time: receivers round the two differently, and a value that
// jumps between them every line would make the needle shiver. The first
// sentence to give a speed is kept; the other takes over only once it has
// given SwitchAfter speeds in a row since the kept one's last (an empty
// speed field counts as none): two or three silent seconds of a receiver
// sending both once a second, depending on their order. Meanwhile the last
// speed holds; with neither giving a speed it reads 0, as the
// single-sentence variants do.
class AutoSpeedSource final : public SpeedSource {
public:
    static constexpr int SwitchAfter = 3;

    Protocol GetProtocol() const override { return Protocol::Auto; }
    void OnRMC(std::string_view line) override { Offer(Protocol::RMC, RmcSpeedIfGiven(line)); }
    void OnVTG(std::string_view line) override { Offer(Protocol::VTG, VtgSpeedIfGiven(line)); }
    // The sentence the speed now comes from; Auto before any gave one.
    Protocol Current() const { return m_current; }

private:
    void Offer(Protocol from, std::optional<int32_t> speed);

    Protocol m_current = Protocol::Auto;
    Protocol m_firstSeen = Protocol::Auto; // says 0 while none gave a speed
    int m_otherSpeeds = 0;                 // speeds of the other since the current one's last
    bool m_otherGives = false;             // the other's last line gave a speed
};

} // namespace velvane
