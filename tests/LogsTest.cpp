// The NMEA and speed logs of the real dashboard on the sample device: off
// until switched on from the menu, whole lines whatever happens to the
// program, and a file that track tools and gpsd read as a receiver log.
#include "Process.h"

#include "platform/serial.h"
#include "platform/testing/temp_device.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <regex>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// How many speed texts ("44.3 ") the text is made of; -1 when any part of
// it is not one. A loop, not a regular expression: the texts of a long drive
// would overflow the regex engine's recursion.
int SpeedTexts(const std::string& text) {
    int count = 0;
    size_t i = 0;
    while (i < text.size()) {
        const size_t digits = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == digits || i + 3 > text.size() || text[i] != '.' || text[i + 1] < '0' ||
            text[i + 1] > '9' || text[i + 2] != ' ')
            return -1;
        i += 3;
        ++count;
    }
    return count;
}

std::string FindProgram(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/sbin/", "/usr/local/bin/", "/usr/local/sbin/"}) {
        std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// The lines of a text, each with its CR LF; a last line without one is kept
// as it is, so that a cut line shows.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        out.push_back(text.substr(start, end - start));
        start = end;
    }
    return out;
}

class Logs : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");
    fs::path logFolder = device.Root() / "Storage Card" / "Logs";
    fs::path drive = device.Root() / "GPS" / "drive.nmea";

    void SetUp() override {
        fs::create_directories(work);
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    void TearDown() override { fs::remove_all(work); }

    // Both logs on from the start, as a configuration saved with them on.
    void SwitchBothOn() {
        const std::u16string config =
            u"[Speedo]\r\nInitial = y\r\nInitialIni = ..\\Skins\\Tacho\\Tag.ini\r\n\r\n"
            u"[FullLog]\r\nInitialIni = ..\\Logs\\NMEA.ini\r\n\r\n"
            u"[SpeedLog]\r\nInitialIni = ..\\Logs\\Geschwindigkeit.ini\r\n";
        device.Put(u"\\Program Files\\Velvane\\Konfig\\Standard.ini",
                   platform::testing::Utf16File(config));
    }

    e2e::Program Velvane(const std::string& script, const std::string& ports) {
        e2e::WriteFile((work / "script.txt").string(), script);
        return {VELVANE_BIN,
                {},
                {{"CE_ROOT", device.Root().string()},
                 {"CE_REGISTRY", (work / "registry").string()},
                 {"CE_BACKEND", "headless"},
                 {"CE_SCRIPT", (work / "script.txt").string()},
                 {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
                 {"CE_PORTS", ports}},
                (work / "stdout.txt").string(),
                (work / "stderr.txt").string()};
    }

    std::optional<int> Run(const std::string& script, const std::string& ports = {}) {
        return e2e::Run(Velvane(script, ports.empty() ? "COM1=replay:" + drive.string() : ports),
                        std::chrono::seconds(60));
    }

    // The log files written, by name.
    std::vector<fs::path> Written(const char* pattern) {
        std::vector<fs::path> out;
        const std::regex name(pattern);
        for (const auto& e : fs::directory_iterator(logFolder))
            if (std::regex_match(e.path().filename().string(), name))
                out.push_back(e.path());
        std::sort(out.begin(), out.end());
        return out;
    }

    // The NMEA log of the whole drive, moved out of the log folder.
    fs::path WholeDrive() {
        SwitchBothOn();
        EXPECT_EQ(Run("wait 610000\n"), 0) << e2e::ReadFile((work / "stderr.txt").string());
        const auto logs = Written(NmeaName);
        if (logs.size() != 1)
            return {};
        const fs::path kept = work / "drive-log.nmea";
        fs::rename(logs[0], kept);
        return kept;
    }

    static constexpr const char* NmeaName = R"(NMEA_\d{6}_\d\d-\d\d\.nmea)";
    static constexpr const char* SpeedName = R"(Geschwindigkeit_\d{6}_\d\d-\d\d\.txt)";
};

TEST_F(Logs, TheLogsAreOffUntilSwitchedOnInTheMenuAndThenLogWhatArrives) {
    ASSERT_EQ(Run("wait 5000\n"), 0);
    EXPECT_TRUE(Written(NmeaName).empty()) << "off by default";
    EXPECT_TRUE(Written(SpeedName).empty());

    // (The first second belongs to the splash.) Log > NMEA-Daten >
    // Einstellungen > NMEA.ini, then Log > Geschwindigkeit > ... likewise.
    ASSERT_EQ(Run("wait 1500\n"
                  "key 13\nkey 39\nkey 39\nkey 13\nkey 13\nkey 13\nkey 39\nkey 13\n"
                  "key 13\nkey 39\nkey 39\nkey 13\nkey 39\nkey 13\nkey 13\nkey 39\nkey 13\n"
                  "wait 30000\n"),
              0);
    const auto nmea = Written(NmeaName);
    const auto speed = Written(SpeedName);
    ASSERT_EQ(nmea.size(), 1u);
    ASSERT_EQ(speed.size(), 1u);

    // A piece of the drive, line for line as it arrived.
    const std::string log = e2e::ReadFile(nmea[0].string());
    const std::string all = e2e::ReadFile(drive.string());
    EXPECT_GT(Lines(log).size(), 100u);
    const size_t at = all.find(log);
    ASSERT_NE(at, std::string::npos) << "not a piece of the drive";
    EXPECT_TRUE(at == 0 || all[at - 1] == '\n');
    EXPECT_EQ(log.back(), '\n');

    const std::string speeds = e2e::ReadFile(speed[0].string());
    EXPECT_GE(SpeedTexts(speeds), 20) << speeds;

    // Saved on exit with the logs on: the next start logs at once.
    const std::string config =
        e2e::ReadFile((device.Root() / "Program Files/Velvane/Konfig/Standard.ini").string());
    const std::u16string on = u"InitialIni = ..\\Logs\\NMEA.ini";
    EXPECT_NE(config.find(platform::testing::Utf16File(on, false)), std::string::npos);
}

TEST_F(Logs, TheLogOfAWholeDriveIsTheDriveAndReplaysAsItWasWritten) {
    const fs::path first = WholeDrive();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(e2e::ReadFile(first.string()), e2e::ReadFile(drive.string()));

    // Played back through the replay source, it is logged again unchanged.
    ASSERT_EQ(Run("wait 610000\n", "COM1=replay:" + first.string()), 0);
    const auto again = Written(NmeaName);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(e2e::ReadFile(again[0].string()), e2e::ReadFile(first.string()));
}

TEST_F(Logs, GpsbabelTurnsTheLogIntoGpxWithEveryFix) {
    const std::string gpsbabel = FindProgram("gpsbabel");
    if (gpsbabel.empty())
        GTEST_SKIP() << "gpsbabel is not installed (Debian package gpsbabel)";
    const fs::path log = WholeDrive();
    ASSERT_FALSE(log.empty());
    const fs::path gpx = work / "drive.gpx";
    ASSERT_EQ(
        e2e::Run({gpsbabel, {"-i", "nmea", "-f", log.string(), "-o", "gpx", "-F", gpx.string()}}),
        0);
    // A fix is an epoch whose RMC says "A" (valid); the tunnel has none.
    int fixes = 0;
    for (const std::string& line : Lines(e2e::ReadFile(log.string())))
        fixes += std::regex_search(line, std::regex(R"(^\$G[PN]RMC,[^,]*,A,)")) ? 1 : 0;
    int points = 0;
    const std::string text = e2e::ReadFile(gpx.string());
    for (size_t at = text.find("<trkpt "); at != std::string::npos;
         at = text.find("<trkpt ", at + 1))
        ++points;
    EXPECT_GT(fixes, 500);
    EXPECT_EQ(points, fixes);
}

TEST_F(Logs, KillingTheProgramWhileItLogsLeavesOnlyWholeLines) {
    SwitchBothOn();
    // Much faster than a receiver, and endless, so the kill meets it writing.
    e2e::ChildProcess velvane =
        e2e::Start(Velvane("wait 100000000\n", "COM1=replay:" + drive.string() + ",loop,speed=20"));
    ASSERT_TRUE(velvane.Started());
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline &&
           (Written(NmeaName).empty() || fs::file_size(Written(NmeaName)[0]) < 2000000))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    velvane.Kill();
    EXPECT_EQ(velvane.Outcome(), "signal 9");

    const auto nmea = Written(NmeaName);
    ASSERT_EQ(nmea.size(), 1u);
    std::set<std::string> known;
    for (std::string& line : Lines(e2e::ReadFile(drive.string())))
        known.insert(std::move(line));
    const auto lines = Lines(e2e::ReadFile(nmea[0].string()));
    EXPECT_GT(lines.size(), 1000u) << "killed while it logged";
    for (size_t i = 0; i < lines.size(); ++i)
        ASSERT_TRUE(known.count(lines[i])) << "line " << i + 1 << ": \"" << lines[i] << "\"";

    const auto speed = Written(SpeedName);
    ASSERT_EQ(speed.size(), 1u);
    const std::string speeds = e2e::ReadFile(speed[0].string());
    EXPECT_GT(SpeedTexts(speeds), 0)
        << speeds.substr(speeds.size() > 200 ? speeds.size() - 200 : 0);
}

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0;
    close(fd);
    return ok ? ntohs(a.sin_port) : -1;
}

// gpsfake and the gpsd it starts, in a process group of their own.
class FakeReceiver {
public:
    ~FakeReceiver() {
        if (m_pid > 0) {
            kill(-m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
        }
    }
    bool Start(const std::string& gpsfake, const fs::path& log, int port, const fs::path& output) {
        m_pid = fork();
        if (m_pid < 0)
            return false;
        if (m_pid == 0) {
            setpgid(0, 0);
            const std::string tcp = std::to_string(port);
            if (freopen(output.c_str(), "w", stdout) && freopen(output.c_str(), "a", stderr))
                execl(gpsfake.c_str(), "gpsfake", "-q", "-n", "-c", "0.01", "-P", tcp.c_str(),
                      log.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(m_pid, m_pid);
        return true;
    }

private:
    pid_t m_pid = -1;
};

TEST_F(Logs, GpsdReadsTheLogAsAReceiverThroughGpsfake) {
    const std::string gpsfake = FindProgram("gpsfake");
    if (gpsfake.empty() || FindProgram("gpsd").empty())
        GTEST_SKIP() << "gpsd and gpsfake are not installed (Debian packages gpsd, gpsd-clients, "
                        "python3-gps)";
    SwitchBothOn();
    ASSERT_EQ(Run("wait 60000\n"), 0);
    const auto logs = Written(NmeaName);
    ASSERT_EQ(logs.size(), 1u);
    const std::string log = e2e::ReadFile(logs[0].string());

    const int port = FreeLoopbackPort();
    ASSERT_GT(port, 0);
    FakeReceiver fake;
    ASSERT_TRUE(fake.Start(gpsfake, logs[0], port, work / "gpsfake.txt"));
    auto source = platform::ParsePortSource("gpsd:127.0.0.1:" + std::to_string(port));
    ASSERT_TRUE(source);
    std::unique_ptr<platform::SerialPort> serial;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!serial && Clock::now() < deadline) {
        serial = platform::SerialPort::Open(*source, "COM1:");
        if (!serial)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(serial) << e2e::ReadFile((work / "gpsfake.txt").string());
    // gpsd passes on only what it recognised as NMEA with a good checksum.
    std::string received;
    int rmc = 0;
    while (Clock::now() < deadline && rmc < 20) {
        char buffer[512];
        uint32_t got = 0;
        if (serial->Read(buffer, sizeof buffer, got))
            received.append(buffer, got);
        rmc = 0;
        for (size_t at = received.find("$GPRMC,"); at != std::string::npos;
             at = received.find("$GPRMC,", at + 1))
            ++rmc;
        if (got == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_GE(rmc, 20) << e2e::ReadFile((work / "gpsfake.txt").string());
    const auto lines = Lines(received);
    for (size_t i = 1; i + 1 < lines.size(); ++i) // the first and last may be cut by the reads
        EXPECT_NE(log.find(lines[i]), std::string::npos) << "not from the log: " << lines[i];
}

} // namespace
