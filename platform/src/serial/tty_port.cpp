// A serial line through termios.
#include "platform/error.h"
#include "serial_ports.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform::serial {

namespace {

std::optional<speed_t> BaudConstant(uint32_t rate) {
    switch (rate) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return std::nullopt;
    }
}

class TtyPort final : public ReconnectingPort {
public:
    TtyPort(std::string name, std::string path)
        : ReconnectingPort(std::move(name)), m_path(std::move(path)) {}
    ~TtyPort() override { Disconnect(); }

    bool Open() {
        if (!Connect())
            return false;
        MarkConnected();
        return true;
    }

    bool Configure(uint32_t baudRate) override {
        auto speed = BaudConstant(baudRate);
        if (!speed) {
            SetLastError(ErrorCode::InvalidParameter,
                         Name() + ": baud rate " + std::to_string(baudRate) + " is not supported");
            return false;
        }
        m_baud = *speed;
        if (m_fd < 0)
            return true; // applied when the device is back
        return Apply();
    }

    bool Write(const void* data, uint32_t size, uint32_t& written) override {
        written = 0;
        if (m_fd < 0) {
            SetLastError(ErrorCode::WriteFault, Name() + " is gone");
            return false;
        }
        const char* p = static_cast<const char*>(data);
        while (written < size) {
            ssize_t n = ::write(m_fd, p + written, size - written);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN)
                    break; // the line is busy; the caller sees the short count
                SetLastErrorFromErrno(errno, "write " + Name() + " (" + m_path + ")");
                return false;
            }
            written += static_cast<uint32_t>(n);
        }
        return true;
    }

protected:
    bool Connect() override {
        m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0) {
            if (errno == EBUSY)
                return Busy();
            SetLastErrorFromErrno(errno, "open " + m_path);
            return false;
        }
        if (!isatty(m_fd)) {
            SetLastError(ErrorCode::InvalidHandle, m_path + " is not a terminal device");
            Disconnect();
            return false;
        }
        // Two readers of one line each get part of every sentence. The flock is
        // what other programs can see and honour; it goes with the descriptor,
        // so a crash leaves no stale lock behind. TIOCEXCL makes the kernel
        // refuse further opens.
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            Disconnect();
            if (err == EWOULDBLOCK)
                return Busy();
            SetLastErrorFromErrno(err, "lock " + m_path);
            return false;
        }
        if (::ioctl(m_fd, TIOCEXCL) != 0) {
            SetLastErrorFromErrno(errno, "claim " + m_path);
            Disconnect();
            return false;
        }
        if (m_baud && !Apply()) {
            Disconnect();
            return false;
        }
        return true;
    }

    void Disconnect() override {
        if (m_fd >= 0) {
            // The claim outlives this descriptor while another end stays open.
            ::ioctl(m_fd, TIOCNXCL);
            ::close(m_fd);
        }
        m_fd = -1;
    }

    bool ReadConnected(void* buffer, uint32_t size, uint32_t& got) override {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, 0) < 0) {
            if (errno == EINTR)
                return true;
            SetLastErrorFromErrno(errno, "poll " + m_path);
            return false;
        }
        if (p.revents & (POLLERR | POLLNVAL)) {
            SetLastError(ErrorCode::ReadFault, m_path + " reports an error");
            return false;
        }
        if (!(p.revents & (POLLIN | POLLHUP)) || size == 0)
            return true;
        ssize_t n = ::read(m_fd, buffer, size);
        if (n > 0) {
            got = static_cast<uint32_t>(n);
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        if (n == 0)
            SetLastError(ErrorCode::ReadFault, m_path + " hung up");
        else
            SetLastErrorFromErrno(errno, "read " + m_path);
        return false;
    }

private:
    bool Busy() {
        SetLastError(ErrorCode::SharingViolation,
                     m_path + " is busy: another program has it open (gpsd takes USB GPS "
                              "receivers; then read through it with gpsd:)");
        return false;
    }

    // Starts from a zeroed state, not the device's current one.
    bool Apply() {
        termios t{};
        t.c_cflag = CS8 | CREAD | CLOCAL;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        cfsetispeed(&t, m_baud);
        cfsetospeed(&t, m_baud);
        if (tcsetattr(m_fd, TCSANOW, &t) != 0) {
            SetLastErrorFromErrno(errno, "configure " + m_path);
            return false;
        }
        return true;
    }

    std::string m_path;
    int m_fd = -1;
    speed_t m_baud = 0;
};

} // namespace

std::unique_ptr<SerialPort> OpenTty(const PortSource& source, std::string name) {
    auto port = std::make_unique<TtyPort>(std::move(name), source.path);
    if (!port->Open())
        return nullptr;
    return port;
}

} // namespace platform::serial
