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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// Far beyond any drive's log; keeps a wrong file from filling memory.
constexpr off_t MaxReplaySize = 256 * 1024 * 1024;

// The whole log, from a regular file only: a folder, a device such as
// /dev/zero or a FIFO would fail or never end, and opening never waits.
bool ReadSource(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        SetLastErrorFromErrno(errno, "open replay file " + path);
        return false;
    }
    struct stat st {};
    bool ok = false;
    if (::fstat(fd, &st) != 0)
        SetLastErrorFromErrno(errno, "open replay file " + path);
    else if (!S_ISREG(st.st_mode))
        SetLastError(ErrorCode::InvalidParameter,
                     "replay file " + path + " is " +
                         (S_ISDIR(st.st_mode) ? "a folder" : "not a regular file") +
                         "; a replay needs a recorded log");
    else if (st.st_size > MaxReplaySize)
        SetLastError(ErrorCode::NotEnoughMemory, "replay file " + path + " is larger than " +
                                                     std::to_string(MaxReplaySize >> 20) + " MB");
    else
        ok = true;
    while (ok) {
        char buffer[65536];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            SetLastErrorFromErrno(errno, "read replay file " + path);
            ok = false;
        } else if (n == 0) {
            break;
        } else if (bytes.size() + static_cast<size_t>(n) > static_cast<size_t>(MaxReplaySize)) {
            SetLastError(ErrorCode::NotEnoughMemory, "replay file " + path + " keeps growing");
            ok = false;
        } else {
            bytes.append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return ok;
}

class ReplayPort final : public SerialPort {
public:
    ReplayPort(std::string name, double speed, bool loop, bool raw)
        : SerialPort(std::move(name)), m_speed(speed), m_loop(loop), m_raw(raw) {}

    bool Load(const std::string& path) {
        std::string bytes;
        if (!ReadSource(path, bytes))
            return false;
        std::string_view epochTime;
        std::string_view rest = bytes;
        while (!rest.empty()) {
            size_t lf = rest.find('\n');
            std::string_view whole = rest.substr(0, lf == std::string_view::npos ? lf : lf + 1);
            rest.remove_prefix(whole.size());
            std::string_view line = whole;
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                line.remove_suffix(1);
            if (line.empty() && !m_raw)
                continue;
            std::string_view time = EpochTime(line);
            if (!time.empty()) {
                if (!epochTime.empty() && time != epochTime &&
                    m_data.size() > (m_epochEnds.empty() ? 0 : m_epochEnds.back()))
                    m_epochEnds.push_back(m_data.size());
                epochTime = time;
            }
            // Line ends become CR LF whatever the log was saved with, unless
            // the bytes are to arrive exactly as recorded.
            if (m_raw) {
                m_data.append(whole);
            } else {
                m_data.append(line);
                m_data.append("\r\n");
            }
        }
        if (m_data.empty() || (m_raw && m_data.find_first_not_of("\r\n") == std::string::npos)) {
            SetLastError(ErrorCode::InvalidData, "replay file " + path + " holds no lines");
            return false;
        }
        m_epochEnds.push_back(m_data.size());
        m_lastTick = GetTickCount();
        return true;
    }

    bool Configure(uint32_t) override { return true; }

    bool Read(void* buffer, uint32_t size, uint32_t& got) override {
        const uint32_t now = GetTickCount();
        m_elapsedMs += now - m_lastTick;
        m_lastTick = now;
        const uint64_t due = DueBytes();
        const uint64_t total = m_data.size();
        // After a long pause a looping replay skips whole rounds instead of
        // piling them up.
        while (due - m_sent > total)
            m_sent += total;
        uint64_t available = due - m_sent;
        got = static_cast<uint32_t>(available < size ? available : size);
        for (uint32_t copied = 0; copied < got;) {
            const size_t offset = static_cast<size_t>(m_sent % total);
            const size_t run = std::min<size_t>(got - copied, total - offset);
            std::memcpy(static_cast<char*>(buffer) + copied, m_data.data() + offset, run);
            copied += static_cast<uint32_t>(run);
            m_sent += run;
        }
        return true;
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
    // Bytes released so far: the first epoch at once, then one per period.
    uint64_t DueBytes() const {
        const uint64_t epochs = m_epochEnds.size();
        uint64_t released =
            static_cast<uint64_t>(std::floor(static_cast<double>(m_elapsedMs) * m_speed / 1000.0)) +
            1;
        if (!m_loop && released > epochs)
            released = epochs;
        const uint64_t rounds = released / epochs;
        const uint64_t within = released % epochs;
        return rounds * m_data.size() + (within ? m_epochEnds[within - 1] : 0);
    }

    std::string m_data;
    std::vector<size_t> m_epochEnds; // end offset of each epoch in m_data
    double m_speed;
    bool m_loop;
    bool m_raw;
    uint32_t m_lastTick = 0;
    uint64_t m_elapsedMs = 0;
    uint64_t m_sent = 0;
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
