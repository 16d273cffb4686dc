// A recorded NMEA log played back as the clock moves: one epoch (the lines
// up to the next change of the UTC time field) per second, times the speed
// factor. With the virtual clock of the headless backend this is exact.
#include "platform/clock.h"
#include "platform/error.h"
#include "serial_ports.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
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

class ReplayPort final : public SerialPort {
public:
    ReplayPort(std::string name, double speed, bool loop)
        : SerialPort(std::move(name)), m_speed(speed), m_loop(loop) {}

    bool Load(const std::string& path) {
        errno = ENOENT;
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            SetLastErrorFromErrno(errno, "open replay file " + path);
            return false;
        }
        const std::string raw((std::istreambuf_iterator<char>(in)), {});
        std::string_view epochTime;
        std::string_view rest = raw;
        // Line ends become CR LF whatever the log was saved with.
        while (!rest.empty()) {
            size_t lf = rest.find('\n');
            std::string_view line = rest.substr(0, lf);
            rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
            while (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty())
                continue;
            std::string_view time = EpochTime(line);
            if (!time.empty()) {
                if (!epochTime.empty() && time != epochTime &&
                    m_data.size() > (m_epochEnds.empty() ? 0 : m_epochEnds.back()))
                    m_epochEnds.push_back(m_data.size());
                epochTime = time;
            }
            m_data.append(line);
            m_data.append("\r\n");
        }
        if (m_data.empty()) {
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
    uint32_t m_lastTick = 0;
    uint64_t m_elapsedMs = 0;
    uint64_t m_sent = 0;
    bool m_notedWrite = false;
};

} // namespace

std::unique_ptr<SerialPort> OpenReplay(const PortSource& source, std::string name) {
    auto port = std::make_unique<ReplayPort>(std::move(name), source.speed, source.loop);
    if (!port->Load(source.path))
        return nullptr;
    return port;
}

} // namespace platform::serial
