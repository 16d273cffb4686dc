#include "platform/error.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/serial.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

using namespace platform;

namespace {

TEST(SerialPortMap, Sources) {
    auto tty = FindPortSource("COM2=tty:/dev/ttyS0; COM1 = tty:/dev/ttyUSB0", 1);
    ASSERT_TRUE(tty);
    EXPECT_EQ(tty->kind, PortSource::Kind::Tty);
    EXPECT_EQ(tty->path, "/dev/ttyUSB0");

    auto gpsd = ParsePortSource("gpsd:");
    ASSERT_TRUE(gpsd);
    EXPECT_EQ(gpsd->host, "localhost");
    EXPECT_EQ(gpsd->service, "2947");
    gpsd = ParsePortSource("gpsd:gps.local:3000");
    ASSERT_TRUE(gpsd);
    EXPECT_EQ(gpsd->host, "gps.local");
    EXPECT_EQ(gpsd->service, "3000");
    gpsd = ParsePortSource("gpsd:[::1]:3001");
    ASSERT_TRUE(gpsd);
    EXPECT_EQ(gpsd->host, "::1");
    EXPECT_EQ(gpsd->service, "3001");

    auto replay = ParsePortSource("replay:logs/a,b.nmea,speed=2.5,loop");
    ASSERT_TRUE(replay);
    EXPECT_EQ(replay->path, "logs/a,b.nmea") << "options come off the end only";
    EXPECT_DOUBLE_EQ(replay->speed, 2.5);
    EXPECT_TRUE(replay->loop);

    for (const char* bad : {"serial:/dev/x", "tty:", "replay:", "replay:x,speed=0",
                            "replay:x,speed=fast", "gpsd:host:99999", "gpsd:host:"}) {
        EXPECT_FALSE(ParsePortSource(bad)) << bad;
        EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter) << bad;
        EXPECT_FALSE(LastError().message.empty()) << bad;
    }
    EXPECT_FALSE(FindPortSource("COM1=tty:/dev/x", 3));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_FALSE(FindPortSource("nonsense;COM3=tty:/dev/x", 3))
        << "a broken map is reported, not skipped";
}

TEST(SerialPortMap, EveryPortAndNoPort) {
    struct Case {
        std::string_view map;
        unsigned port;
        const char* source; // nullptr: the port fails
    } const cases[] = {
        {DefaultPortMap, 1, "localhost"},
        {DefaultPortMap, 7, "localhost"},
        {"COM2=tty:/dev/ttyUSB0;COM*=gpsd:gps.local", 2, "/dev/ttyUSB0"},
        {"COM2=tty:/dev/ttyUSB0;com*=gpsd:gps.local", 1, "gps.local"},
        {"COM*=gpsd:;COM2=tty:/dev/ttyUSB0", 2, "localhost"}, // the first entry wins
        {NoPorts, 1, nullptr},
        {" none ", 1, nullptr},
        {"", 1, nullptr},
    };
    for (const auto& c : cases) {
        auto found = FindPortSource(c.map, c.port);
        if (!c.source) {
            EXPECT_FALSE(found) << c.map;
            EXPECT_EQ(LastError().code, ErrorCode::FileNotFound) << c.map;
            continue;
        }
        ASSERT_TRUE(found) << c.map << ": " << LastError().message;
        EXPECT_EQ(found->kind == PortSource::Kind::Gpsd ? found->host : found->path, c.source)
            << c.map;
    }
    EXPECT_FALSE(FindPortSource("COMX*=gpsd:", 1));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
    EXPECT_FALSE(FindPortSource(NoPorts, 1));
    EXPECT_NE(LastError().message.find("CE_PORTS=none"), std::string::npos) << LastError().message;
}

// Unset or empty, CE_PORTS maps every port to the local gpsd; "none" to nothing.
TEST(SerialPortMap, TheHostSettingDefaultsToTheLocalGpsd) {
    const struct {
        const char* value; // nullptr: unset
        std::string_view ports;
    } cases[] = {{nullptr, DefaultPortMap}, {"", DefaultPortMap}, {"none", NoPorts}};
    for (const auto& c : cases) {
        if (c.value)
            ::setenv("CE_PORTS", c.value, 1);
        else
            ::unsetenv("CE_PORTS");
        EXPECT_EQ(ReadHostSettings(u"\\x.exe").ports, c.ports) << (c.value ? c.value : "unset");
    }
    ::unsetenv("CE_PORTS");
}

class Replay : public ::testing::Test {
protected:
    platform::testing::TempDevice device;

    std::string Write(const std::string& text) {
        auto path = device.Root() / "log.nmea";
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    static std::string ReadAll(SerialPort& port) {
        std::string out;
        char buffer[7]; // small on purpose: reads must be resumable mid-line
        uint32_t got = 0;
        do {
            EXPECT_TRUE(port.Read(buffer, sizeof buffer, got));
            out.append(buffer, got);
        } while (got == sizeof buffer);
        return out;
    }
    std::unique_ptr<SerialPort> Open(const std::string& options) {
        auto source = ParsePortSource("replay:" + Write(Log) + options);
        EXPECT_TRUE(source);
        return SerialPort::Open(*source, "COM1:");
    }

    // Three epochs; LF-only line ends and a blank line, as logs are often saved.
    const std::string Log = "$GPGGA,120000,x\n$GPGSV,1\n\n$GPRMC,120000,A\n"
                            "$GPRMC,120001,A\r\n$GPGSA,2\n"
                            "$GPGGA,120002,x\n";
};

TEST_F(Replay, ReleasesOneEpochPerSecond) {
    auto port = Open("");
    ASSERT_TRUE(port) << LastError().message;
    EXPECT_EQ(ReadAll(*port), "$GPGGA,120000,x\r\n$GPGSV,1\r\n$GPRMC,120000,A\r\n");
    EXPECT_EQ(ReadAll(*port), "");
    headless::AdvanceClock(999);
    EXPECT_EQ(ReadAll(*port), "");
    headless::AdvanceClock(1);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120001,A\r\n$GPGSA,2\r\n");
    headless::AdvanceClock(5000);
    EXPECT_EQ(ReadAll(*port), "$GPGGA,120002,x\r\n");
    headless::AdvanceClock(5000);
    EXPECT_EQ(ReadAll(*port), "") << "without loop the replay ends";

    uint32_t written = 0;
    TranscriptClear();
    EXPECT_TRUE(port->Write("$PRWIILOG,GGA,A,T,1,0\r\n", 23, written));
    EXPECT_TRUE(port->Write("x", 1, written));
    EXPECT_EQ(written, 1u);
    ASSERT_EQ(TranscriptLines().size(), 1u) << "a dropped write is noted once";
    EXPECT_NE(TranscriptLines()[0].find("write-dropped"), std::string::npos);
}

TEST_F(Replay, SpeedFactorAndLoop) {
    auto port = Open(",speed=4,loop");
    ASSERT_TRUE(port);
    EXPECT_EQ(ReadAll(*port).size(), 44u);
    headless::AdvanceClock(250);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120001,A\r\n$GPGSA,2\r\n");
    headless::AdvanceClock(500);
    EXPECT_EQ(ReadAll(*port),
              "$GPGGA,120002,x\r\n$GPGGA,120000,x\r\n$GPGSV,1\r\n$GPRMC,120000,A\r\n");
    // After a long pause the backlog is at most one round, ending where the clock is.
    headless::AdvanceClock(3600 * 1000);
    const std::string backlog = ReadAll(*port);
    EXPECT_LE(backlog.size(), 44u + 27u + 17u);
    EXPECT_EQ(backlog.substr(backlog.size() - 17), "$GPRMC,120000,A\r\n");
}

TEST_F(Replay, MissingOrEmptyFile) {
    auto source = ParsePortSource("replay:" + (device.Root() / "none.nmea").string());
    EXPECT_FALSE(SerialPort::Open(*source, "COM1:"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    source = ParsePortSource("replay:" + Write("\n\n"));
    EXPECT_FALSE(SerialPort::Open(*source, "COM1:"));
    EXPECT_NE(LastError().message.find("no lines"), std::string::npos);
}

TEST_F(Replay, RawKeepsTheBytesAsRecorded) {
    auto source = ParsePortSource("replay:" + Write(Log) + ",raw,speed=2");
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->raw);
    EXPECT_DOUBLE_EQ(source->speed, 2.0);
    auto port = SerialPort::Open(*source, "COM1:");
    ASSERT_TRUE(port) << LastError().message;
    // The same epochs, but LF-only ends and the blank line arrive as they are.
    EXPECT_EQ(ReadAll(*port), "$GPGGA,120000,x\n$GPGSV,1\n\n$GPRMC,120000,A\n");
    headless::AdvanceClock(500);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120001,A\r\n$GPGSA,2\n");
    headless::AdvanceClock(500);
    EXPECT_EQ(ReadAll(*port), "$GPGGA,120002,x\n");

    // A last line without its end stays without one.
    source = ParsePortSource("replay:" + Write("$GPRMC,1,A\r\r\n$GPRMC,2,A") + ",raw");
    port = SerialPort::Open(*source, "COM1:");
    ASSERT_TRUE(port);
    headless::AdvanceClock(1000);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,1,A\r\r\n$GPRMC,2,A");
}

// The log is read as it plays: one still being written is followed as it
// grows, as a receiver's own log on the storage card would be.
TEST_F(Replay, ALogThatGrowsIsFollowed) {
    const std::string path = Write("$GPRMC,120000,A\n$GPRMC,120001,A\n");
    auto source = ParsePortSource("replay:" + path);
    ASSERT_TRUE(source);
    auto port = SerialPort::Open(*source, "COM1:");
    ASSERT_TRUE(port) << LastError().message;
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120000,A\r\n");
    std::ofstream(path, std::ios::binary | std::ios::app) << "$GPRMC,120002,A\n$GPRMC,120003,A\n";
    headless::AdvanceClock(1000);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120001,A\r\n");
    headless::AdvanceClock(1000);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120002,A\r\n") << "written after the replay began";
    headless::AdvanceClock(1000);
    EXPECT_EQ(ReadAll(*port), "$GPRMC,120003,A\r\n");
}

TEST_F(Replay, OnlyARegularFileIsReplayed) {
    const auto fifo = device.Root() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string reason;
    } cases[] = {
        {device.Root().string(), "is a folder"},
        {"/dev/zero", "not a regular file"},
        {fifo.string(), "not a regular file"},
    };
    for (const auto& c : cases) {
        // Each would throw, read forever or wait for a writer.
        auto source = ParsePortSource("replay:" + c.path);
        ASSERT_TRUE(source);
        EXPECT_FALSE(SerialPort::Open(*source, "COM1:")) << c.path;
        EXPECT_NE(LastError().message.find(c.reason), std::string::npos)
            << c.path << ": " << LastError().message;
    }
}

TEST(SerialPortOpen, TheReasonReachesStderrAndTheTranscript) {
    platform::testing::TempDevice device;
    HostSettings h = Host();
    h.ports = "COM1=replay:" + (device.Root() / "missing.nmea").string() +
              ";COM2=serial:/dev/x;COM3=tty:" + (device.Root() / "no-tty").string();
    Initialize(h);
    struct Case {
        const char16_t* port;
        std::string reason;
    } cases[] = {
        {u"COM1:", "missing.nmea"},
        {u"COM2:", "is not tty:, gpsd: or replay:"},
        {u"COM3:", "no-tty"},
        {u"COM4:", "not in the port map"},
    };
    for (const auto& c : cases) {
        TranscriptClear();
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(SerialPort::Open(c.port));
        const std::string err = ::testing::internal::GetCapturedStderr();
        const Error why = LastError();
        EXPECT_NE(why.message.find(c.reason), std::string::npos) << why.message;
        EXPECT_NE(err.find(why.message), std::string::npos) << err;
        auto lines = TranscriptLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("event=open-failed"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
    }
}

} // namespace
