// A recorded NMEA log played back as the clock moves: one epoch (the lines
// up to the next change of the UTC time field) per second, times the speed
// factor. With the virtual clock of the headless backend this is exact.
#include "platform/clock.h"
#include "platform/error.h"
#include "serial_ports.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::serial {

namespace {

// The UTC time of a sentence that carries one, else empty.
// $GPRMC,123519,A,...  $GPGGA,123519,...  $GPGLL,4916.45,N,12311.12,W,225444,A
std::string_view EpochTime(std::string_view line) {
    if (line.size() < 7 || line[0] != '$' || line[1] == 'P')
        return {};
    const std::string_view type = line.substr(3, 3);
    int field;
    if (type == "RMC" || type == "GGA" || type == "GNS" || type == "ZDA" || type == "GST" ||
        type == "GBS")
        field = 1;
    else if (type == "GLL")
        field = 5;
    else
        return {};
    size_t pos = 0;
    for (int i = 0; i < field; ++i) {
        pos = line.find(',', pos);
        if (pos == std::string_view::npos)
            return {};
        ++pos;
    }
    size_t end = line.find_first_of(",*", pos);
    return line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
}

// Opens a regular file only: a folder, a device such as /dev/zero or a FIFO
// would fail or never end, and opening never waits. -1 with the reason set.
int OpenSource(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        SetLastErrorFromErrno(errno, "open replay file " + path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        SetLastErrorFromErrno(errno, "open replay file " + path);
    } else if (!S_ISREG(st.st_mode)) {
        SetLastError(ErrorCode::InvalidParameter,
                     "replay file " + path + " is " +
                         (S_ISDIR(st.st_mode) ? "a folder" : "not a regular file") +
                         "; a replay needs a recorded log");
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

// The log is read as it is played, an epoch at a time, so a log of any size
// starts at once and one that is still being written is followed as it grows.
class ReplayPort final : public SerialPort {
public:
    ReplayPort(std::string name, double speed, bool loop, bool raw)
        : SerialPort(std::move(name)), m_speed(speed), m_loop(loop), m_raw(raw) {}
    ~ReplayPort() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool Load(const std::string& path) {
        m_path = path;
        m_fd = OpenSource(path);
        if (m_fd < 0)
            return false;
        // The first epoch is there at once; a log without one is no log.
        if (!ProduceEpoch() ||
            (m_raw && m_atEnd && m_out.find_first_not_of("\r\n") == std::string::npos)) {
            if (m_failed)
                return false;
            SetLastError(ErrorCode::InvalidData, "replay file " + path + " holds no lines");
            return false;
        }
        m_lastTick = GetTickCount();
        return true;
    }

    bool Configure(uint32_t) override { return true; }

    bool Read(void* buffer, uint32_t size, uint32_t& got) override {
        const uint32_t now = GetTickCount();
        m_elapsedMs += now - m_lastTick;
        m_lastTick = now;
        // The first epoch at once, then one per period.
        const uint64_t released =
            static_cast<uint64_t>(std::floor(static_cast<double>(m_elapsedMs) * m_speed / 1000.0)) +
            1;
        while (m_produced < released) {
            // After a long pause a looping replay skips whole rounds instead
            // of piling them up; skipping rounds keeps the place in the log.
            if (m_roundEpochs && released - m_produced > *m_roundEpochs) {
                m_produced += (released - m_produced - 1) / *m_roundEpochs * *m_roundEpochs;
                m_out.erase(0, m_outPos);
                m_outPos = 0;
                continue;
            }
            if (!ProduceEpoch())
                break;
        }
        const size_t available = m_out.size() - m_outPos;
        got = static_cast<uint32_t>(available < size ? available : size);
        std::memcpy(buffer, m_out.data() + m_outPos, got);
        m_outPos += got;
        if (m_outPos == m_out.size()) {
            m_out.clear();
            m_outPos = 0;
        }
        return !m_failed;
    }

    bool Write(const void*, uint32_t size, uint32_t& written) override {
        if (!m_notedWrite) {
            NotePort(Name(), "write-dropped", "a replayed log takes no commands for the receiver");
            m_notedWrite = true;
        }
        written = size;
        return true;
    }

private:
    // Longest line kept whole; longer ones arrive in pieces (the receiver
    // drops them anyway).
    static constexpr size_t MaxLine = 65536;

    // The next line with its end as recorded; false at the end of the file
    // for now (a log still being written may grow).
    bool NextLine(std::string& whole) {
        whole.clear();
        for (;;) {
            const size_t lf = m_in.find('\n', m_inPos);
            if (lf != std::string::npos || m_in.size() - m_inPos >= MaxLine) {
                const size_t end = lf != std::string::npos ? lf + 1 : m_inPos + MaxLine;
                whole.assign(m_in, m_inPos, end - m_inPos);
                m_inPos = end;
                return true;
            }
            m_in.erase(0, m_inPos);
            m_inPos = 0;
            char buffer[65536];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                SetLastErrorFromErrno(errno, "read replay file " + m_path);
                m_failed = true;
            }
            if (n <= 0) {
                m_atEnd = true;
                if (m_in.empty())
                    return false;
                whole.swap(m_in); // a last line without its end
                return true;
            }
            m_atEnd = false;
            m_in.append(buffer, static_cast<size_t>(n));
        }
    }

    // Appends the next epoch (the lines up to the next change of the UTC
    // time field) to m_out; at the end of a looping log the next round
    // begins. False when there is nothing to add.
    bool ProduceEpoch() {
        if (ReadEpoch()) {
            ++m_produced;
            ++m_roundSoFar;
            return true;
        }
        if (!m_loop || m_roundSoFar == 0 || m_failed || ::lseek(m_fd, 0, SEEK_SET) != 0)
            return false;
        m_roundEpochs = m_roundSoFar;
        m_roundSoFar = 0;
        m_in.clear();
        m_inPos = 0;
        return ProduceEpoch();
    }

    bool ReadEpoch() {
        std::string epochTime;
        bool any = false;
        std::string whole;
        for (;;) {
            if (m_holding) {
                whole.swap(m_held);
                m_holding = false;
            } else if (!NextLine(whole)) {
                return any;
            }
            std::string_view line = whole;
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.remove_suffix(1);
            if (line.empty() && !m_raw)
                continue;
            const std::string_view time = EpochTime(line);
            if (!time.empty()) {
                if (any && !epochTime.empty() && time != epochTime) {
                    m_held.swap(whole);
                    m_holding = true;
                    return true;
                }
                epochTime = time;
            }
            // Line ends become CR LF whatever the log was saved with, unless
            // the bytes are to arrive exactly as recorded.
            if (m_raw) {
                m_out.append(whole);
            } else {
                m_out.append(line);
                m_out.append("\r\n");
            }
            any = true;
        }
    }

    std::string m_path;
    int m_fd = -1;
    double m_speed;
    bool m_loop;
    bool m_raw;
    std::string m_in; // read from the file, not yet cut into lines
    size_t m_inPos = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    std::string m_held; // the first line of the next epoch
    bool m_holding = false;
    std::string m_out; // released, not yet read
    size_t m_outPos = 0;
    uint64_t m_produced = 0; // epochs released so far, over all rounds
    uint64_t m_roundSoFar = 0;
    std::optional<uint64_t> m_roundEpochs; // known after the first round
    uint32_t m_lastTick = 0;
    uint64_t m_elapsedMs = 0;
    bool m_notedWrite = false;
};

} // namespace

std::unique_ptr<SerialPort> OpenReplay(const PortSource& source, std::string name) {
    auto port =
        std::make_unique<ReplayPort>(std::move(name), source.speed, source.loop, source.raw);
    if (!port->Load(source.path))
        return nullptr;
    return port;
}

} // namespace platform::serial
