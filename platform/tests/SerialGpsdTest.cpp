// Against a real gpsd: gpsfake starts one on a free loopback port, fed from a
// log written here.
#include "platform/error.h"
#include "platform/host.h"
#include "platform/serial.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
        close(fd);
        return -1;
    }
    close(fd);
    return ntohs(a.sin_port);
}

std::string FindProgram(const char* name) {
    for (const char* dir : {"/usr/bin/", "/usr/sbin/", "/usr/local/bin/", "/usr/local/sbin/"}) {
        std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

class Gpsd : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    pid_t fake = -1;

    void TearDown() override { Stop(); }
    void Stop() {
        if (fake > 0) {
            kill(-fake, SIGTERM); // gpsfake and the gpsd it started share this group
            int status = 0;
            waitpid(fake, &status, 0);
            fake = -1;
        }
    }
};

TEST_F(Gpsd, YieldsTheNmeaOfTheServer) {
    const std::string gpsfake = FindProgram("gpsfake");
    if (gpsfake.empty() || FindProgram("gpsd").empty())
        GTEST_SKIP() << "gpsd and gpsfake are not installed (Debian packages gpsd, gpsd-clients, "
                        "python3-gps)";
    const int tcpPort = FreeLoopbackPort();
    ASSERT_GT(tcpPort, 0);

    std::string log;
    for (int s = 0; s < 10; ++s) {
        char time[16];
        std::snprintf(time, sizeof time, "1235%02d.00", s);
        log += WithChecksum(std::string("GPRMC,") + time +
                            ",A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
        log += WithChecksum(std::string("GPGGA,") + time +
                            ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    }
    const auto logPath = device.Root() / "fake.log";
    std::ofstream(logPath, std::ios::binary) << log;

    fake = fork();
    ASSERT_GE(fake, 0);
    if (fake == 0) {
        setpgid(0, 0);
        const std::string port = std::to_string(tcpPort);
        execl(gpsfake.c_str(), "gpsfake", "-q", "-n", "-c", "0.05", "-P", port.c_str(),
              logPath.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    setpgid(fake, fake);

    auto source = ParsePortSource("gpsd:127.0.0.1:" + std::to_string(tcpPort));
    ASSERT_TRUE(source);
    std::unique_ptr<SerialPort> port;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!port && Clock::now() < deadline) {
        port = SerialPort::Open(*source, "COM1:");
        if (!port)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(port) << "no gpsd on port " << tcpPort << ": " << LastError().message;
    EXPECT_TRUE(port->Configure(4800));

    std::string received;
    while (Clock::now() < deadline && received.find("$GPGGA,1235") == std::string::npos) {
        char buffer[128];
        uint32_t got = 0;
        if (port->Read(buffer, sizeof buffer, got))
            received.append(buffer, got);
        if (got == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(received.find("$GPRMC,1235"), std::string::npos) << received;
    EXPECT_EQ(received.find('{'), std::string::npos) << "gpsd's JSON reports are not NMEA";
    for (size_t at = received.find('\n'); at != std::string::npos; at = received.find('\n', at + 1))
        EXPECT_EQ(received[at - 1], '\r');

    uint32_t written = 0;
    TranscriptClear();
    EXPECT_TRUE(port->Write("$PRWIILOG,???,V,,,\r\n", 20, written));
    EXPECT_EQ(written, 20u);
    ASSERT_EQ(TranscriptLines().size(), 1u);
    EXPECT_NE(TranscriptLines()[0].find("write-dropped"), std::string::npos);

    // The server going away is a read error, not a hang.
    Stop();
    bool failed = false;
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!failed && Clock::now() < end) {
        char buffer[128];
        uint32_t got = 0;
        failed = !port->Read(buffer, sizeof buffer, got);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(failed);
}

TEST_F(Gpsd, NoServerFailsToOpen) {
    const int tcpPort = FreeLoopbackPort();
    auto source = ParsePortSource("gpsd:127.0.0.1:" + std::to_string(tcpPort));
    EXPECT_FALSE(SerialPort::Open(*source, "COM1:"));
    EXPECT_NE(LastError().message.find("refused"), std::string::npos) << LastError().message;
}

// Without CE_PORTS and without gpsd, the dashboard must start at once and say
// what to do, not wait for a server that is not there.
TEST_F(Gpsd, AnAbsentLocalGpsdIsReportedAtOnceWithWhatToDo) {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(2947);
    const bool running = connect(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(probe);
    if (running)
        GTEST_SKIP() << "a gpsd runs on this machine's port 2947";

    const HostSettings before = Host();
    HostSettings h = before;
    h.ports = DefaultPortMap;
    Initialize(h);
    ::testing::internal::CaptureStderr();
    const auto start = Clock::now();
    EXPECT_FALSE(SerialPort::Open(u"COM1:"));
    const auto took = Clock::now() - start;
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_LT(took, std::chrono::seconds(1));
    for (const char* part : {"localhost:2947", "refused", "start gpsd", "CE_PORTS"})
        EXPECT_NE(LastError().message.find(part), std::string::npos) << LastError().message;
    EXPECT_NE(err.find(LastError().message), std::string::npos) << err;
    Initialize(before);
}

} // namespace
