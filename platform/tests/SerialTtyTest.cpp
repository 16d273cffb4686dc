#include "platform/error.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/serial.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <pty.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace platform;

namespace {

// A pseudo-terminal pair reached through a stable link, as a USB receiver's
// device name stays the same when it is unplugged and plugged in again.
class Tty : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    std::filesystem::path link = device.Root() / "ttyGPS";
    int master = -1;

    void SetUp() override { Plug(); }
    void TearDown() override { Unplug(); }

    void Plug() {
        int slave = -1;
        char name[256];
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        close(slave); // the port under test opens it by name
        std::filesystem::remove(link);
        std::filesystem::create_symlink(name, link);
    }
    void Unplug() {
        if (master >= 0)
            close(master);
        master = -1;
        std::filesystem::remove(link);
    }
    void Send(const std::string& bytes) {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        tcdrain(master);
    }
    std::string Received() {
        std::string out;
        char buffer[256];
        ssize_t n;
        while ((n = read(master, buffer, sizeof buffer)) > 0) {
            out.append(buffer, static_cast<size_t>(n));
            if (n < static_cast<ssize_t>(sizeof buffer))
                break;
        }
        return out;
    }
    // Polls like the receiver does, collecting what arrives.
    static std::string Drain(SerialPort& port) {
        std::string out;
        char buffer[64];
        for (int i = 0; i < 50; ++i) {
            uint32_t got = 0;
            if (!port.Read(buffer, sizeof buffer, got))
                break;
            out.append(buffer, got);
            if (got == 0) {
                if (!out.empty())
                    break;
                usleep(2000);
            }
        }
        return out;
    }
    std::unique_ptr<SerialPort> Open() {
        auto source = ParsePortSource("tty:" + link.string());
        return SerialPort::Open(*source, "COM1:");
    }
};

TEST_F(Tty, ConfiguresReadsAndWrites) {
    auto port = Open();
    ASSERT_TRUE(port) << LastError().message;
    ASSERT_TRUE(port->Configure(4800)) << LastError().message;

    termios t{};
    ASSERT_EQ(tcgetattr(master, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B4800);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));

    uint32_t got = 99;
    char buffer[16];
    EXPECT_TRUE(port->Read(buffer, sizeof buffer, got));
    EXPECT_EQ(got, 0u) << "an idle line returns at once";

    // Raw: CR LF and bytes above 127 arrive untouched.
    Send("$GPRMC,1\r\n\xB0\x01");
    EXPECT_EQ(Drain(*port), "$GPRMC,1\r\n\xB0\x01");

    uint32_t written = 0;
    ASSERT_TRUE(port->Write("$PRWIILOG,???,V,,,\r\n", 20, written));
    EXPECT_EQ(written, 20u);
    EXPECT_EQ(Received(), "$PRWIILOG,???,V,,,\r\n");

    EXPECT_FALSE(port->Configure(12345));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
}

TEST_F(Tty, MissingDeviceFailsToOpen) {
    Unplug();
    EXPECT_FALSE(Open());
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    auto notTty = ParsePortSource("tty:/dev/null");
    EXPECT_FALSE(SerialPort::Open(*notTty, "COM1:"));
}

// Whether the kernel refuses further opens of the line.
bool Claimed(const std::filesystem::path& link) {
    const int fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == EBUSY; // as anyone but root sees it
    int exclusive = -1;
    {
        ioctl(fd, TIOCGEXCL, &exclusive);
        close(fd);
    }
    return exclusive == 1;
}

TEST_F(Tty, OneProgramHoldsTheLineAndASecondIsToldItIsBusy) {
    auto port = Open();
    ASSERT_TRUE(port) << LastError().message;
    EXPECT_TRUE(Claimed(link));

    EXPECT_FALSE(Open()) << "two readers would each get part of every sentence";
    EXPECT_EQ(LastError().code, ErrorCode::SharingViolation);
    EXPECT_NE(LastError().message.find("busy"), std::string::npos) << LastError().message;

    port.reset();
    EXPECT_FALSE(Claimed(link)) << "the claim goes with the port";
    EXPECT_TRUE(Open()) << LastError().message;
}

TEST_F(Tty, TheUserReadsThatTheLineIsBusy) {
    HostSettings h = Host();
    h.ports = "COM1=tty:" + link.string();
    Initialize(h);
    auto first = SerialPort::Open(u"COM1:");
    ASSERT_TRUE(first) << LastError().message;
    TranscriptClear();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(SerialPort::Open(u"COM1:"));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("COM1: cannot be opened: " + link.string() + " is busy"), std::string::npos)
        << err;
    const auto lines = TranscriptLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("event=open-failed"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("is busy"), std::string::npos) << lines[0];
}

TEST_F(Tty, ALineAnotherProgramLockedIsBusyUntilItLetsGo) {
    const int other = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(Open());
    EXPECT_NE(LastError().message.find("busy"), std::string::npos) << LastError().message;
    EXPECT_NE(LastError().message.find(link.string()), std::string::npos) << LastError().message;
    close(other);
    EXPECT_TRUE(Open()) << LastError().message;
}

TEST_F(Tty, UnpluggedDeviceComesBackQuietly) {
    auto port = Open();
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->Configure(9600));
    Send("$GPGGA,1\r\n");
    EXPECT_EQ(Drain(*port), "$GPGGA,1\r\n");
    TranscriptClear();

    Unplug();
    uint32_t got = 0;
    char buffer[64];
    EXPECT_FALSE(port->Read(buffer, sizeof buffer, got));
    for (int i = 0; i < 20; ++i) { // many ticks while it is gone: one note, no storm
        headless::AdvanceClock(200);
        EXPECT_FALSE(port->Read(buffer, sizeof buffer, got));
    }
    Plug();
    headless::AdvanceClock(1000);
    EXPECT_TRUE(port->Read(buffer, sizeof buffer, got)) << LastError().message;
    Send("$GPGGA,2\r\n");
    EXPECT_EQ(Drain(*port), "$GPGGA,2\r\n");

    termios t{};
    ASSERT_EQ(tcgetattr(master, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B9600) << "the configuration is applied again";

    const auto lines = TranscriptLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("event=lost"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("event=back"), std::string::npos) << lines[1];
}

} // namespace
