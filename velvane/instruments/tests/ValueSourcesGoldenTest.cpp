// The real receiver logs run through the receiver and all value sources; what
// the sources deliver must equal the expected output kept in golden/, line by
// line. Rewrite the expected output after an intended change with
//   VELVANE_WRITE_GOLDEN=1 velvane_instruments_tests --gtest_filter='ValueSourcesGolden.*'
// and review the diff before committing it.
#include "gps/AltitudeSource.h"
#include "gps/GpsReceiver.h"
#include "gps/SpeedSource.h"
#include "instruments/PositionSource.h"

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace velvane;
namespace fs = std::filesystem;

namespace {

const fs::path LogFolder = fs::path(SUITE_SHARED_DIR) / "nmea";
const fs::path GoldenFolder = fs::path(SUITE_SOURCE_DIR) / "velvane/instruments/tests/golden";

// Every value as one line, in the order delivered; a run of equal lines is
// written once with its count.
class Lines {
public:
    void Add(std::string line) {
        if (!m_lines.empty() && m_lines.back().first == line)
            ++m_lines.back().second;
        else
            m_lines.push_back({std::move(line), 1});
    }
    std::string Text() const {
        std::string out;
        for (const auto& [line, count] : m_lines)
            out += count > 1 ? line + " *" + std::to_string(count) + "\n" : line + "\n";
        return out;
    }

private:
    std::vector<std::pair<std::string, int>> m_lines;
};

struct SpeedJournal : SpeedListener {
    SpeedJournal(Lines& lines, const char* tag) : lines(lines), tag(tag) {}
    void OnSpeed(int32_t speed) override {
        lines.Add(std::string(tag) + " " + std::to_string(speed));
    }
    Lines& lines;
    const char* tag;
};

struct PlaceJournal : AltitudeListener, PositionListener {
    explicit PlaceJournal(Lines& lines) : lines(lines) {}
    void OnAltitude(int32_t altitude) override { lines.Add("alt " + std::to_string(altitude)); }
    void OnPosition(const GeoPosition& p) override {
        lines.Add("pos " + std::to_string(p.Latitude()) + " " + std::to_string(p.Longitude()) +
                  (p.IsValid() ? "" : " invalid"));
    }
    Lines& lines;
};

// The log as the receiver reads it from a replayed port with the default
// buffer, all of it in one poll; nullopt when the replay cannot start.
std::optional<std::string> Deliveries(const fs::path& log) {
    platform::testing::TempDevice device;
    platform::HostSettings host = platform::Host();
    host.ports = "COM1=replay:" + log.string() + ",speed=1000000";
    platform::Initialize(host);
    device.Put(u"\\gps.ini", platform::testing::Utf16File(u"[GPS-Settings]\r\nComPort = 1\r\n"));

    Lines lines;
    SpeedJournal rmc(lines, "rmc"), vtg(lines, "vtg");
    PlaceJournal place(lines);
    RmcSpeedSource rmcSource;
    VtgSpeedSource vtgSource;
    AltitudeSource altitudeSource;
    PositionSource positionSource;
    rmcSource.AddListener(&rmc);
    vtgSource.AddListener(&vtg);
    altitudeSource.AddListener(&place);
    positionSource.AddListener(&place);
    GpsReceiver receiver(nullptr);
    for (SentenceListener* source : std::initializer_list<SentenceListener*>{
             &rmcSource, &vtgSource, &altitudeSource, &positionSource})
        receiver.AddSentenceListener(source);
    if (!receiver.Load(u"\\gps.ini"))
        return std::nullopt;
    platform::headless::AdvanceClock(1000);
    receiver.Poll();

    return "# " + log.filename().string() +
           ": rmc and vtg speed (0.1 km/h), alt (0.1 m), pos (1/10000 arc minute)\n" + lines.Text();
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The first line where the two differ, for the failure message.
std::string FirstDifference(const std::string& want, const std::string& got) {
    std::istringstream a(want), b(got);
    std::string x, y;
    for (int n = 1;; ++n) {
        const bool more = static_cast<bool>(std::getline(a, x));
        const bool moreGot = static_cast<bool>(std::getline(b, y));
        if (!more && !moreGot)
            return "no difference";
        if (!more || !moreGot || x != y)
            return "line " + std::to_string(n) + ": expected \"" + (more ? x : "(end)") +
                   "\", got \"" + (moreGot ? y : "(end)") + "\"";
    }
}

TEST(ValueSourcesGolden, EveryReceiverLogDeliversItsExpectedValues) {
    if (!fs::is_directory(LogFolder))
        GTEST_SKIP() << "the shared receiver logs are not here (" << LogFolder.string()
                     << "); set SUITE_SHARED_DIR when configuring to run this test";
    const bool write = std::getenv("VELVANE_WRITE_GOLDEN") != nullptr;
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(LogFolder))
        if (entry.path().extension() == ".nmea")
            logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    ASSERT_FALSE(logs.empty()) << LogFolder.string();

    for (const fs::path& log : logs) {
        const fs::path golden = GoldenFolder / log.filename().replace_extension(".txt");
        const std::optional<std::string> delivered = Deliveries(log);
        ASSERT_TRUE(delivered) << "the receiver did not start on " << log.string();
        const std::string& got = *delivered;
        if (write) {
            std::ofstream(golden, std::ios::binary) << got;
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << "no expected output for " << log.filename().string()
                                        << " (" << golden.string() << ")";
        const std::string want = Read(golden);
        // Not EXPECT_EQ: the whole of two long files would bury the first difference.
        EXPECT_TRUE(want == got) << log.filename().string() << ": " << FirstDifference(want, got);
    }
    // Expected output of a log that is gone would never be checked again.
    for (const auto& entry : fs::directory_iterator(GoldenFolder)) {
        const fs::path log = LogFolder / entry.path().filename().replace_extension(".nmea");
        if (entry.path().extension() == ".txt") {
            EXPECT_TRUE(fs::exists(log)) << "no receiver log for " << entry.path().string();
        }
    }
}

} // namespace
