#include "platform/clock.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "serial_ports.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::optional<PortSource> Invalid(const std::string& why) {
    SetLastError(ErrorCode::InvalidParameter, why);
    return std::nullopt;
}

// The number "COM*" stands for in a port map.
constexpr unsigned AnyPort = ~0u;

bool StartsWithCom(std::string_view name) {
    return name.size() >= 3 && (name[0] | 0x20) == 'c' && (name[1] | 0x20) == 'o' &&
           (name[2] | 0x20) == 'm';
}

// "COMn" (any case) as n.
std::optional<unsigned> PortNumber(std::string_view name) {
    if (name.size() < 4 || !StartsWithCom(name))
        return std::nullopt;
    unsigned n = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9' || n > 100000)
            return std::nullopt;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n;
}

// A port map's "COMn", or "COM*" as AnyPort.
std::optional<unsigned> MapPortNumber(std::string_view name) {
    if (name.size() == 4 && name[3] == '*' && StartsWithCom(name))
        return AnyPort;
    return PortNumber(name);
}

} // namespace

std::optional<PortSource> ParsePortSource(std::string_view text) {
    text = Trim(text);
    PortSource source;
    if (StartsWith(text, "tty:")) {
        source.kind = PortSource::Kind::Tty;
        source.path = std::string(text.substr(4));
        if (source.path.empty())
            return Invalid("port source \"tty:\" names no device");
        return source;
    }
    if (StartsWith(text, "gpsd:")) {
        source.kind = PortSource::Kind::Gpsd;
        std::string_view rest = text.substr(5);
        source.host = "localhost";
        if (!rest.empty()) {
            size_t colon = rest.rfind(':');
            // "[::1]:2947" and "::1" need the brackets to carry a port.
            if (!rest.empty() && rest.front() == '[') {
                size_t close = rest.find(']');
                if (close == std::string_view::npos)
                    return Invalid("port source \"" + std::string(text) + "\": missing \"]\"");
                source.host = std::string(rest.substr(1, close - 1));
                rest = rest.substr(close + 1);
                colon = rest.empty() ? std::string_view::npos : 0;
                if (!rest.empty() && rest.front() != ':')
                    return Invalid("port source \"" + std::string(text) + "\": expected \":PORT\"");
            } else if (colon != std::string_view::npos) {
                source.host = std::string(rest.substr(0, colon));
            } else {
                source.host = std::string(rest);
            }
            if (colon != std::string_view::npos) {
                std::string_view port = rest.substr(colon + 1);
                if (port.empty() || port.size() > 5 ||
                    port.find_first_not_of("0123456789") != std::string_view::npos ||
                    std::atoi(std::string(port).c_str()) > 65535 ||
                    std::atoi(std::string(port).c_str()) == 0)
                    return Invalid("port source \"" + std::string(text) + "\": bad TCP port");
                source.service = std::string(port);
            }
            if (source.host.empty())
                source.host = "localhost";
        }
        return source;
    }
    if (StartsWith(text, "replay:")) {
        source.kind = PortSource::Kind::Replay;
        std::string_view rest = text.substr(7);
        // Options are peeled off the end, so a path may hold commas.
        for (;;) {
            size_t comma = rest.rfind(',');
            if (comma == std::string_view::npos)
                break;
            std::string_view option = Trim(rest.substr(comma + 1));
            if (option == "loop") {
                source.loop = true;
            } else if (option == "raw") {
                source.raw = true;
            } else if (StartsWith(option, "speed=")) {
                std::string value(option.substr(6));
                char* end = nullptr;
                double speed = std::strtod(value.c_str(), &end);
                if (value.empty() || *end != 0 || !(speed > 0.0) || speed > 1e6)
                    return Invalid("port source \"" + std::string(text) +
                                   "\": speed must be a number above 0");
                source.speed = speed;
            } else {
                break;
            }
            rest = rest.substr(0, comma);
        }
        source.path = std::string(rest);
        if (source.path.empty())
            return Invalid("port source \"replay:\" names no file");
        return source;
    }
    return Invalid("port source \"" + std::string(text) + "\" is not tty:, gpsd: or replay:");
}

std::optional<PortSource> FindPortSource(std::string_view portMap, unsigned number) {
    if (Trim(portMap) == NoPorts) {
        SetLastError(ErrorCode::FileNotFound,
                     "COM" + std::to_string(number) + ": no port is mapped (CE_PORTS=none)");
        return std::nullopt;
    }
    while (!portMap.empty()) {
        size_t end = portMap.find(';');
        std::string_view entry = Trim(portMap.substr(0, end));
        portMap = end == std::string_view::npos ? std::string_view() : portMap.substr(end + 1);
        if (entry.empty())
            continue;
        size_t equals = entry.find('=');
        if (equals == std::string_view::npos)
            return Invalid("port map entry \"" + std::string(entry) + "\" is not COMn=SOURCE");
        auto n = MapPortNumber(Trim(entry.substr(0, equals)));
        if (!n)
            return Invalid("port map entry \"" + std::string(entry) + "\" is not COMn=SOURCE");
        if (*n == number || *n == AnyPort)
            return ParsePortSource(entry.substr(equals + 1));
    }
    SetLastError(ErrorCode::FileNotFound,
                 "COM" + std::to_string(number) + ": is not in the port map (CE_PORTS)");
    return std::nullopt;
}

std::unique_ptr<SerialPort> SerialPort::Open(std::u16string_view deviceName) {
    std::string name = ToUtf8(deviceName);
    std::string_view bare = name;
    if (!bare.empty() && bare.back() == ':')
        bare.remove_suffix(1);
    auto number = PortNumber(bare);
    if (!number) {
        SetLastError(ErrorCode::FileNotFound, "\"" + name + "\" is not a serial port name");
        return nullptr;
    }
    auto source = FindPortSource(Host().ports, *number);
    std::unique_ptr<SerialPort> port = source ? Open(*source, name) : nullptr;
    if (!port) {
        // The program's own message names only the port; the reason goes to
        // the user beside it.
        Error why = LastError();
        if (source && source->kind == PortSource::Kind::Gpsd && Host().ports == DefaultPortMap)
            why.message += " (without CE_PORTS every COM port is the local gpsd: start gpsd, "
                           "or map the port in CE_PORTS)";
        std::fprintf(stderr, "%s cannot be opened: %s\n", name.c_str(), why.message.c_str());
        serial::NotePort(name, "open-failed", why.message);
        SetLastError(why.code, why.message);
    }
    return port;
}

std::unique_ptr<SerialPort> SerialPort::Open(const PortSource& source, std::string name) {
    switch (source.kind) {
    case PortSource::Kind::Tty:
        return serial::OpenTty(source, std::move(name));
    case PortSource::Kind::Gpsd:
        return serial::OpenGpsd(source, std::move(name));
    case PortSource::Kind::Replay:
        return serial::OpenReplay(source, std::move(name));
    }
    return nullptr;
}

namespace serial {

void NotePort(const std::string& name, const std::string& event, const std::string& reason) {
    std::string line = "serial port=\"" + name + "\" event=" + event;
    if (!reason.empty())
        line += " reason=\"" + QuoteForTranscript(FromUtf8(reason)) + "\"";
    TranscriptWrite(line);
}

bool ReconnectingPort::Read(void* buffer, uint32_t size, uint32_t& got) {
    got = 0;
    if (!m_connected) {
        const uint32_t now = GetTickCount();
        if (now - m_lastAttempt < 1000) {
            SetLastError(ErrorCode::ReadFault, Name() + " is gone; waiting for it to come back");
            return false;
        }
        m_lastAttempt = now;
        if (!Connect()) {
            SetLastError(ErrorCode::ReadFault, Name() + " is gone: " + LastError().message);
            return false;
        }
        m_connected = true;
        NotePort(Name(), "back");
    }
    if (ReadConnected(buffer, size, got))
        return true;
    const Error lost = LastError();
    Disconnect();
    m_connected = false;
    m_lastAttempt = GetTickCount();
    NotePort(Name(), "lost", lost.message);
    SetLastError(lost.code, lost.message);
    return false;
}

} // namespace serial
} // namespace platform
