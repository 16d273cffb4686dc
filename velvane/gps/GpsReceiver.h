#pragma once
// The single source of GPS data: reads the GPS ini, opens and configures the
// serial port, tells the receiver what to send, then polls the port on a
// window timer, cuts the bytes into lines at CR LF and hands every line to
// the sentence listeners by its type.
#include "gps/GpsSettings.h"
#include "gps/ListenerList.h"
#include "gps/SentenceListener.h"
#include "gps/SentenceType.h"
#include "gps/SpeedWatch.h"
#include "ini/IniParser.h"

#include "platform/lifetime.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {
class SerialPort;
class Window;
} // namespace platform

namespace velvane {

class GpsReceiver : public IniParser {
public:
    static constexpr int PollTimerId = 0x4750; // "GP"
    // The longest command that fits the receiver's command buffer, with its
    // terminating zero.
    static constexpr size_t CommandBufferSize = 84;

    // window owns the poll timer and the message boxes; without one, nothing
    // polls by itself (Poll can still be called).
    explicit GpsReceiver(platform::Window* window);
    ~GpsReceiver() override;
    GpsReceiver(const GpsReceiver&) = delete;
    GpsReceiver& operator=(const GpsReceiver&) = delete;

    void AddSentenceListener(SentenceListener* listener, ListPosition where = ListPosition::Back);
    // Removes every registration of the listener.
    void RemoveSentenceListener(SentenceListener* listener);
    size_t SentenceListenerCount() const { return m_listeners.Count(); }

    void DispatchVTG(std::string_view line);
    void DispatchRMC(std::string_view line);
    void DispatchGGA(std::string_view line);
    void DispatchGSV(std::string_view line);
    void DispatchGSA(std::string_view line);
    void DispatchOther(std::string_view line);
    // Tells every listener that the data went stale.
    void DispatchStale();
    // "$GP" sentences of the five known types (with "AnyTalker" those of
    // every talker) go to their own slot, every other line to DispatchOther.
    void DispatchLine(std::string_view line);
    // The sentence the speed is read from (RMC or VTG), for the notice when
    // lines arrive but no speed does.
    void ExpectSpeedFrom(SentenceType type) { m_speedWatch.Expect(type); }
    void ExpectSpeedFromEither() { m_speedWatch.ExpectEither(); }
    // The talker rule of the GPS ini last loaded.
    TalkerRule GetTalkerRule() const { return m_talkerRule; }

    // Stops, reads the GPS ini, opens and configures the port (asking to
    // retry on failure), sends the receiver commands and starts polling.
    // False leaves the receiver stopped; the listeners stay.
    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    // The timer's work: drains the port and dispatches every complete line.
    void Poll();

    bool IsPolling() const { return m_port != nullptr; }
    uint32_t BufferSize() const { return m_bufferSize; }
    uint32_t PollPeriodMs() const { return m_pollPeriodMs; }

private:
    void Stop();
    bool OpenPort(const GpsSettings& settings);
    bool ConfigurePort(const GpsSettings& settings);
    void ControlReceiver(const GpsSettings& settings);
    bool WriteCommand(std::string_view bytes);
    // Dispatches the complete lines of the valid bytes and keeps the rest.
    // False when a listener deleted the receiver.
    bool CutLines(uint32_t scanFrom, const platform::Lifetime::Watch& watch);

    ListenerList<SentenceListener> m_listeners;
    std::unique_ptr<GpsSettings> m_settings; // only while Load reads the ini
    std::unique_ptr<platform::SerialPort> m_port;
    std::unique_ptr<char[]> m_buffer;
    uint32_t m_bufferSize = 0;
    uint32_t m_filled = 0;
    // After a full buffer without a line end was dropped, the rest of that
    // line is skipped up to its CR LF.
    bool m_resyncing = false;
    bool m_droppedCr = false;
    uint32_t m_pollPeriodMs = 0;
    TalkerRule m_talkerRule = TalkerRule::GpsOnly;
    SpeedWatch m_speedWatch;
    platform::Window* m_window;
    // A listener may delete the receiver while a poll is dispatching.
    platform::Lifetime m_lifetime;
};

} // namespace velvane
