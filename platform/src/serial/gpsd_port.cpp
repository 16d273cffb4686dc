// NMEA from a gpsd server: a TCP connection that asks for raw NMEA and hands
// on those lines, dropping gpsd's own JSON reports.
#include "platform/error.h"
#include "serial_ports.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::serial {

namespace {

constexpr char WatchCommand[] = "?WATCH={\"enable\":true,\"nmea\":true}\n";
// A longer line without LF is not NMEA; it is dropped, not kept growing.
constexpr size_t MaxLine = 65536;
// Opening may wait for a slow server; looking for a lost one must not stall the
// user interface.
constexpr int OpenTimeoutMs = 3000;
constexpr int ReconnectTimeoutMs = 100;

class GpsdPort final : public ReconnectingPort {
public:
    GpsdPort(std::string name, std::string host, std::string service)
        : ReconnectingPort(std::move(name)), m_host(std::move(host)),
          m_service(std::move(service)) {}
    ~GpsdPort() override { Disconnect(); }

    bool Open() {
        m_timeoutMs = OpenTimeoutMs;
        const bool ok = Connect();
        m_timeoutMs = ReconnectTimeoutMs;
        if (!ok)
            return false;
        MarkConnected();
        return true;
    }

    bool Configure(uint32_t) override { return true; }

    bool Write(const void*, uint32_t size, uint32_t& written) override {
        if (!m_notedWrite) {
            NotePort(Name(), "write-dropped", "gpsd sources take no commands for the receiver");
            m_notedWrite = true;
        }
        written = size;
        return true;
    }

protected:
    bool Connect() override {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const std::string where = "gpsd at " + m_host + ":" + m_service;
        if (int rc = getaddrinfo(m_host.c_str(), m_service.c_str(), &hints, &found); rc != 0) {
            SetLastError(ErrorCode::FileNotFound, where + ": " + gai_strerror(rc));
            return false;
        }
        std::string failure = where + ": no address";
        for (addrinfo* a = found; a && m_fd < 0; a = a->ai_next) {
            int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                              a->ai_protocol);
            if (fd < 0)
                continue;
            if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
                failure = where + ": " + std::strerror(errno);
                ::close(fd);
                continue;
            }
            pollfd p{fd, POLLOUT, 0};
            int soError = 0;
            socklen_t length = sizeof soError;
            if (::poll(&p, 1, m_timeoutMs) <= 0) {
                failure = where + ": no answer";
                ::close(fd);
                continue;
            }
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
            if (soError != 0) {
                failure = where + ": " + std::strerror(soError);
                ::close(fd);
                continue;
            }
            m_fd = fd;
        }
        freeaddrinfo(found);
        if (m_fd < 0) {
            SetLastError(ErrorCode::FileNotFound, failure);
            return false;
        }
        int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::send(m_fd, WatchCommand, sizeof WatchCommand - 1, MSG_NOSIGNAL) !=
            sizeof WatchCommand - 1) {
            SetLastError(ErrorCode::WriteFault, where + ": could not ask for NMEA");
            Disconnect();
            return false;
        }
        m_partial.clear();
        m_skipping = false;
        return true;
    }

    void Disconnect() override {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_partial.clear();
        m_ready.clear();
        m_readyStart = 0;
    }

    bool ReadConnected(void* buffer, uint32_t size, uint32_t& got) override {
        bool alive = true;
        while (m_ready.size() - m_readyStart < size) {
            char chunk[4096];
            ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                Take(std::string_view(chunk, static_cast<size_t>(n)));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (n == 0)
                SetLastError(ErrorCode::ReadFault,
                             "gpsd at " + m_host + ":" + m_service + " closed the connection");
            else
                SetLastErrorFromErrno(errno, "read from gpsd at " + m_host + ":" + m_service);
            alive = false;
            break;
        }
        const size_t available = m_ready.size() - m_readyStart;
        got = static_cast<uint32_t>(available < size ? available : size);
        std::memcpy(buffer, m_ready.data() + m_readyStart, got);
        m_readyStart += got;
        if (m_readyStart == m_ready.size()) {
            m_ready.clear();
            m_readyStart = 0;
        }
        // What arrived before the server went away is still handed on.
        return alive || got > 0;
    }

private:
    void Take(std::string_view bytes) {
        while (!bytes.empty()) {
            size_t lf = bytes.find('\n');
            std::string_view piece =
                bytes.substr(0, lf == std::string_view::npos ? bytes.size() : lf);
            if (!m_skipping) {
                if (m_partial.size() + piece.size() > MaxLine) {
                    m_partial.clear();
                    m_skipping = true;
                } else {
                    m_partial.append(piece);
                }
            }
            if (lf == std::string_view::npos)
                return;
            if (!m_skipping)
                Line();
            m_partial.clear();
            m_skipping = false;
            bytes.remove_prefix(lf + 1);
        }
    }

    // NMEA (and AIS "!") lines go on with CR LF; JSON reports stay here.
    void Line() {
        std::string_view line = m_partial;
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || (line.front() != '$' && line.front() != '!'))
            return;
        m_ready.append(line);
        m_ready.append("\r\n");
    }

    std::string m_host;
    std::string m_service;
    int m_fd = -1;
    std::string m_partial;
    bool m_skipping = false;
    std::string m_ready;
    size_t m_readyStart = 0;
    bool m_notedWrite = false;
    int m_timeoutMs = ReconnectTimeoutMs;
};

} // namespace

std::unique_ptr<SerialPort> OpenGpsd(const PortSource& source, std::string name) {
    auto port = std::make_unique<GpsdPort>(std::move(name), source.host, source.service);
    if (!port->Open())
        return nullptr;
    return port;
}

} // namespace platform::serial
