#pragma once
// The source kinds behind SerialPort, and what they share.
#include "platform/serial.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform::serial {

std::unique_ptr<SerialPort> OpenTty(const PortSource& source, std::string name);
std::unique_ptr<SerialPort> OpenGpsd(const PortSource& source, std::string name);
std::unique_ptr<SerialPort> OpenReplay(const PortSource& source, std::string name);

// A source that can go away (unplugged device, stopped server) and be found
// again. Reads while it is gone try to reconnect at most once a second, and
// each loss and return is written to the transcript once.
class ReconnectingPort : public SerialPort {
public:
    bool Read(void* buffer, uint32_t size, uint32_t& got) final;

protected:
    using SerialPort::SerialPort;
    // Opens the source; false with LastError.
    virtual bool Connect() = 0;
    virtual void Disconnect() = 0;
    // Reads what is there; false with LastError when the source is gone.
    virtual bool ReadConnected(void* buffer, uint32_t size, uint32_t& got) = 0;
    bool Connected() const { return m_connected; }
    // Call from Connect's caller at open time.
    void MarkConnected() { m_connected = true; }

private:
    bool m_connected = false;
    uint32_t m_lastAttempt = 0;
};

// Notes what a person should know about a port, once per occurrence.
void NotePort(const std::string& name, const std::string& event, const std::string& reason = {});

} // namespace platform::serial
