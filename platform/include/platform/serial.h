#pragma once
// Serial ports as the device knows them ("COM1:"), served on this host by a
// tty, a gpsd server or a replayed NMEA log, as the port map (CE_PORTS) says:
//   COM1=tty:/dev/ttyUSB0;COM2=gpsd:localhost:2947;COM3=replay:drive.nmea,speed=2,loop,raw
// The first entry naming a port wins; "COM*" names every port.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct PortSource {
    enum class Kind { Tty, Gpsd, Replay };
    Kind kind = Kind::Tty;
    std::string path; // tty device or replay file (host paths)
    std::string host; // gpsd
    std::string service = "2947";
    double speed = 1.0; // replay: epochs per second
    bool loop = false;  // replay: start over at the end
    bool raw = false;   // replay: the bytes exactly, line ends as recorded
};

// Without CE_PORTS every port is the local gpsd, the usual way a Linux GPS is
// shared.
inline constexpr std::string_view DefaultPortMap = "COM*=gpsd:";
// A map naming no port: every open fails (tests rely on that).
inline constexpr std::string_view NoPorts = "none";

// One SOURCE of the map; nullopt with LastError InvalidParameter saying why.
std::optional<PortSource> ParsePortSource(std::string_view text);
// The source of COMn in a port map; nullopt with LastError (FileNotFound when
// the map does not name the port, InvalidParameter for a bad entry).
std::optional<PortSource> FindPortSource(std::string_view portMap, unsigned number);

class SerialPort {
public:
    // "COM1:" through the host's port map. Null with LastError when the port
    // is not mapped or its source cannot be opened.
    static std::unique_ptr<SerialPort> Open(std::u16string_view deviceName);
    static std::unique_ptr<SerialPort> Open(const PortSource& source, std::string name);

    virtual ~SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Baud rate, 8 data bits, no parity, one stop bit, raw bytes, no flow
    // control. Sources that are not a line accept any rate.
    virtual bool Configure(uint32_t baudRate) = 0;
    // Returns at once with what has arrived (got may be 0). False with
    // LastError on a read error; a lost device or server is looked for again
    // on later reads, at most once a second, and comes back by itself.
    virtual bool Read(void* buffer, uint32_t size, uint32_t& got) = 0;
    // written is how many bytes went out. Sources that cannot take data
    // drop it, count it as written and note that once in the transcript.
    virtual bool Write(const void* data, uint32_t size, uint32_t& written) = 0;

    const std::string& Name() const { return m_name; }

protected:
    explicit SerialPort(std::string name) : m_name(std::move(name)) {}

private:
    std::string m_name;
};

} // namespace platform
