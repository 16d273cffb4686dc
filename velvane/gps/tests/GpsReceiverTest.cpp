#include "gps/GpsReceiver.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace velvane;
using platform::testing::MessageBoxes;
using platform::testing::Utf16File;

namespace {

// Every line heard, as "KIND:line".
struct Recorder : SentenceListener {
    std::vector<std::string> lines;
    void OnRMC(std::string_view l) override { lines.push_back("RMC:" + std::string(l)); }
    void OnGGA(std::string_view l) override { lines.push_back("GGA:" + std::string(l)); }
    void OnGSV(std::string_view l) override { lines.push_back("GSV:" + std::string(l)); }
    void OnVTG(std::string_view l) override { lines.push_back("VTG:" + std::string(l)); }
    void OnGSA(std::string_view l) override { lines.push_back("GSA:" + std::string(l)); }
    void OnOther(std::string_view l) override { lines.push_back("Other:" + std::string(l)); }
};

// A device with COM1 on a pseudo-terminal whose other end the test holds.
class Receiver : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    int master = -1;
    Recorder recorder;

    void SetUp() override {
        int slave = -1;
        char name[256];
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        close(slave);
        fcntl(master, F_SETFL, O_NONBLOCK);
        UsePorts(std::string("COM1=tty:") + name +
                 ";COM2=replay:" + (device.Root() / "log.nmea").string());
    }
    void TearDown() override { close(master); }

    static void UsePorts(const std::string& ports) {
        platform::HostSettings h = platform::Host();
        h.ports = ports;
        platform::Initialize(h);
        platform::TranscriptClear();
    }
    std::u16string Ini(const std::u16string& body) {
        device.Put(u"\\gps.ini", Utf16File(u"[GPS-Settings]\r\n" + body));
        return u"\\gps.ini";
    }
    void Send(const std::string& bytes) {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        usleep(2000); // let the line discipline pass it on
    }
    std::string Received() {
        usleep(2000);
        std::string out;
        char buffer[256];
        ssize_t n;
        while ((n = read(master, buffer, sizeof buffer)) > 0)
            out.append(buffer, static_cast<size_t>(n));
        return out;
    }
};

TEST_F(Receiver, SettingsCommandsAndPollPeriod) {
    GpsReceiver receiver(nullptr);
    ASSERT_TRUE(
        receiver.Load(Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nProtocol = GGA\r\nProtocol = RMC\r\n"
                          u"Interval = 2\r\n")));
    EXPECT_TRUE(receiver.IsPolling());
    EXPECT_EQ(Received(), "$PRWIILOG,GGA,A,T,1,0\r\n$PRWIILOG,RMC,A,T,2,0\r\n");
    EXPECT_EQ(receiver.PollPeriodMs(), 1000u);
    EXPECT_EQ(receiver.BufferSize(), 256u);
    EXPECT_TRUE(MessageBoxes().empty());

    // Reloading starts over: no commands, the default interval as period.
    ASSERT_TRUE(receiver.Load(
        Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nDefaultInterval = 3\r\nBufferSize = 50\r\n")));
    EXPECT_EQ(Received(), "");
    EXPECT_EQ(receiver.PollPeriodMs(), 3000u);
    EXPECT_EQ(receiver.BufferSize(), 128u);

    // An interval before any protocol belongs to nothing and is reported.
    ASSERT_TRUE(receiver.Load(
        Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nInterval = 5\r\nDefaultInterval = 4\r\n"
            u"Protocol = VTG\r\n")));
    EXPECT_EQ(Received(), "$PRWIILOG,VTG,A,T,4,0\r\n");
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].find("caption=\"IniParser - Ignoriere unbekanntes Attribut:\""),
              std::string::npos);
}

TEST_F(Receiver, AnOversizedBufferIsRefusedAndReported) {
    struct Case {
        const char16_t* value;
        uint32_t size;
        size_t reports;
    } cases[] = {
        {u"2000000000", 256u, 1u},
        {u"65537", 256u, 1u},
        {u"65536", 65536u, 0u},
        {u"-5", 128u, 0u},
    };
    for (const auto& c : cases) {
        platform::TranscriptClear();
        // Reported lines need an answer to keep the reports going.
        platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
        GpsReceiver receiver(nullptr);
        ASSERT_TRUE(receiver.Load(Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nBufferSize = " +
                                      std::u16string(c.value) + u"\r\n")))
            << platform::ToUtf8(c.value);
        EXPECT_EQ(receiver.BufferSize(), c.size) << platform::ToUtf8(c.value);
        ASSERT_EQ(MessageBoxes().size(), c.reports) << platform::ToUtf8(c.value);
        if (c.reports) {
            EXPECT_NE(MessageBoxes()[0].find("BufferSize = " + platform::ToUtf8(c.value)),
                      std::string::npos)
                << MessageBoxes()[0];
        }
        platform::headless::ClearMessageBoxAnswers();
    }
}

TEST_F(Receiver, AllOffAsksFirst) {
    GpsReceiver receiver(nullptr);
    const auto ini = Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nAllOFF = yes\r\nProtocol = GGA\r\n");
    const std::string question =
        "messagebox caption=\"Abschalten?\" text=\"Die Protokolle werden nicht wieder "
        "aktiviert.\\nWollen Sie "
        "trotzdem alle Protokolle abschalten?\" buttons=YesNo icon=Exclamation answer=";
    platform::headless::QueueMessageBoxAnswer(u"Abschalten?", platform::IdYes);
    ASSERT_TRUE(receiver.Load(ini));
    EXPECT_EQ(Received(), "$PRWIILOG,???,V,,,\r\n$PRWIILOG,GGA,A,T,1,0\r\n");
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0], question + "Yes");

    platform::TranscriptClear();
    ASSERT_TRUE(receiver.Load(ini)); // unanswered: No
    EXPECT_EQ(Received(), "$PRWIILOG,GGA,A,T,1,0\r\n");
    EXPECT_EQ(MessageBoxes(), std::vector<std::string>{question + "No"});
}

TEST_F(Receiver, PortBoxesAndRetries) {
    GpsReceiver receiver(nullptr);
    Recorder r;
    receiver.AddSentenceListener(&r);
    platform::headless::QueueMessageBoxAnswer(u"COM-Port kann nicht geöffnet werden:",
                                              platform::IdRetry);
    EXPECT_FALSE(receiver.Load(Ini(u"ComPort = 7\r\nBaudRate = 4800\r\n")));
    EXPECT_FALSE(receiver.IsPolling());
    const std::string openBox =
        "messagebox caption=\"COM-Port kann nicht geöffnet werden:\" text=\"COM7:\" "
        "buttons=RetryCancel icon=Error answer=";
    EXPECT_EQ(MessageBoxes(), (std::vector<std::string>{openBox + "Retry", openBox + "Cancel"}));
    EXPECT_EQ(receiver.SentenceListenerCount(), 1u) << "a failed load keeps the listeners";

    platform::TranscriptClear();
    EXPECT_FALSE(receiver.Load(Ini(u"ComPort = 1\r\nBaudRate = 12345\r\n")));
    EXPECT_EQ(MessageBoxes(),
              std::vector<std::string>{
                  "messagebox caption=\"Fehler\" text=\"Der COM-Port konnte nicht "
                  "konfiguriert werden.\" buttons=RetryCancel icon=Error answer=Cancel"});

    // A name outside the code page cannot be sent; the next entry still is.
    platform::TranscriptClear();
    ASSERT_TRUE(receiver.Load(
        Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nProtocol = G\u0100A\r\nProtocol = RMC\r\n")));
    EXPECT_EQ(Received(), "$PRWIILOG,RMC,A,T,1,0\r\n");
    EXPECT_EQ(MessageBoxes(), std::vector<std::string>{
                                  "messagebox caption=\"Fehler beim Konvertieren:\" "
                                  "text=\"$PRWIILOG,G\u0100A,A,T,1,0\\r\\n\" buttons=RetryCancel "
                                  "icon=Error answer=Cancel"});
}

TEST_F(Receiver, CutsLinesAtCrLf) {
    GpsReceiver receiver(nullptr);
    receiver.AddSentenceListener(&recorder);
    ASSERT_TRUE(receiver.Load(Ini(u"ComPort = 1\r\nBaudRate = 4800\r\n")));
    Send("$GPRMC,1\r\n$GPGGA,2\r\n$GPV");
    receiver.Poll();
    Send("TG,3\r");
    receiver.Poll();
    Send("\n$GPGSV\r\n$GPGSA,4\rx\n\r\n$GPZDA,5\r\n$GNRMC,6\r\n$GP\r\n");
    receiver.Poll();
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{
                                  "RMC:$GPRMC,1\r\n", "GGA:$GPGGA,2\r\n",
                                  "VTG:$GPVTG,3\r\n", // CR and LF from two reads
                                  "GSV:$GPGSV\r\n", "GSA:$GPGSA,4\rx\n\r\n", "Other:$GPZDA,5\r\n",
                                  "Other:$GNRMC,6\r\n", "Other:$GP\r\n"}));
}

TEST_F(Receiver, FullBufferWithoutLineEndIsDropped) {
    GpsReceiver receiver(nullptr);
    receiver.AddSentenceListener(&recorder);
    ASSERT_TRUE(receiver.Load(Ini(u"ComPort = 1\r\nBaudRate = 4800\r\nBufferSize = 128\r\n")));
    // 300 bytes of noise: the rest of it up to its CR LF is skipped too.
    Send(std::string(299, 'x') + "\r");
    receiver.Poll();
    Send("\n$GPRMC,1\r\n");
    receiver.Poll();
    Send(std::string(200, 'y') + "\r\n$GPGGA,2\r\n");
    receiver.Poll();
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"RMC:$GPRMC,1\r\n", "GGA:$GPGGA,2\r\n"}));
}

TEST_F(Receiver, ReplayThroughTheWindowTimer) {
    std::ofstream(device.Root() / "log.nmea", std::ios::binary)
        << "$GPRMC,100000,A\n$GPGGA,100000\n$GPRMC,100001,A\n$GPGGA,100001\n";
    platform::WindowHandler handler;
    platform::WindowOptions options;
    options.className = u"Velvane";
    options.rect = {0, 0, 240, 320};
    platform::Window* window = platform::Window::Create(options, handler);
    ASSERT_NE(window, nullptr);
    {
        GpsReceiver receiver(window);
        receiver.AddSentenceListener(&recorder);
        ASSERT_TRUE(receiver.Load(Ini(u"ComPort = 2\r\nBaudRate = 4800\r\nProtocol = RMC\r\n")));
        EXPECT_TRUE(recorder.lines.empty()) << "nothing before the first tick";
        platform::headless::AdvanceClock(1000);
        EXPECT_EQ(recorder.lines,
                  (std::vector<std::string>{"RMC:$GPRMC,100000,A\r\n", "GGA:$GPGGA,100000\r\n",
                                            "RMC:$GPRMC,100001,A\r\n", "GGA:$GPGGA,100001\r\n"}));
        EXPECT_TRUE(MessageBoxes().empty()) << "a replay takes the receiver commands silently";
    }
    platform::headless::AdvanceClock(5000); // the timer went with the receiver
    window->Destroy();
}

// A listener that removes the other one and itself while being notified.
struct Remover : SentenceListener {
    GpsReceiver* receiver = nullptr;
    SentenceListener* other = nullptr;
    int heard = 0;
    void OnRMC(std::string_view) override {
        ++heard;
        receiver->RemoveSentenceListener(other);
        receiver->RemoveSentenceListener(this);
    }
};

TEST_F(Receiver, ListenersLeavingDuringDispatch) {
    GpsReceiver receiver(nullptr);
    Remover remover;
    remover.receiver = &receiver;
    remover.other = &recorder;
    receiver.AddSentenceListener(&remover);
    receiver.AddSentenceListener(&recorder);
    receiver.AddSentenceListener(&recorder, ListPosition::Front);
    receiver.DispatchLine("$GPRMC,1\r\n");
    receiver.DispatchLine("$GPRMC,2\r\n");
    EXPECT_EQ(remover.heard, 1);
    EXPECT_EQ(recorder.lines, std::vector<std::string>{"RMC:$GPRMC,1\r\n"})
        << "only the front registration ran";
    EXPECT_EQ(receiver.SentenceListenerCount(), 0u);
}

// Deletes the receiver on the first GGA, as a configuration load from a
// listener would.
struct Deleter : SentenceListener {
    std::unique_ptr<GpsReceiver> receiver;
    std::vector<std::string> lines;
    void OnRMC(std::string_view l) override { lines.push_back(std::string(l)); }
    void OnGGA(std::string_view l) override {
        lines.push_back(std::string(l));
        receiver.reset();
    }
};

TEST_F(Receiver, ListenerDeletingTheReceiverEndsThePoll) {
    Deleter deleter;
    deleter.receiver = std::make_unique<GpsReceiver>(nullptr);
    GpsReceiver* receiver = deleter.receiver.get();
    receiver->AddSentenceListener(&deleter);
    ASSERT_TRUE(receiver->Load(Ini(u"ComPort = 1\r\nBaudRate = 4800\r\n")));
    Send("$GPRMC,1\r\n$GPGGA,2\r\n$GPRMC,3\r\n");
    receiver->Poll();
    EXPECT_EQ(deleter.receiver, nullptr);
    EXPECT_EQ(deleter.lines, (std::vector<std::string>{"$GPRMC,1\r\n", "$GPGGA,2\r\n"}))
        << "nothing is dispatched from a deleted receiver";
}

// A replay gives the bytes exactly with "raw": a log saved with LF-only ends
// then reaches the line cutting as a tty would deliver it.
TEST_F(Receiver, ReplayedLineEndsAsRecordedOrMended) {
    std::ofstream(device.Root() / "log.nmea", std::ios::binary)
        << "$GPRMC,100000,A\n$GPGGA,100000\r\n";
    const std::string log = (device.Root() / "log.nmea").string();
    struct Case {
        std::string options;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {"RMC:$GPRMC,100000,A\r\n", "GGA:$GPGGA,100000\r\n"}},
        {",raw", {"RMC:$GPRMC,100000,A\n$GPGGA,100000\r\n"}},
    };
    for (const auto& c : cases) {
        UsePorts("COM2=replay:" + log + c.options);
        Recorder lines;
        GpsReceiver receiver(nullptr);
        receiver.AddSentenceListener(&lines);
        ASSERT_TRUE(receiver.Load(Ini(u"ComPort = 2\r\nBaudRate = 4800\r\n")));
        receiver.Poll();
        EXPECT_EQ(lines.lines, c.lines) << c.options;
    }
}

// Modern receivers talk as $GN, $GL ...: with "AnyTalker" their sentences
// reach the same slots as $GP ones; without it they stay "other".
TEST_F(Receiver, AnyTalkerMakesEveryTalkerCountAsGps) {
    for (const bool any : {false, true}) {
        Recorder lines;
        GpsReceiver receiver(nullptr);
        receiver.AddSentenceListener(&lines);
        ASSERT_TRUE(receiver.Load(Ini(any ? u"ComPort = 1\r\nBaudRate = 4800\r\nAnyTalker = y\r\n"
                                          : u"ComPort = 1\r\nBaudRate = 4800\r\n")));
        receiver.DispatchLine("$GNRMC,1\r\n");
        receiver.DispatchLine("$GLGSV,2\r\n");
        receiver.DispatchLine("$PGRME,3\r\n");
        const std::vector<std::string> want =
            any ? std::vector<std::string>{"RMC:$GNRMC,1\r\n", "GSV:$GLGSV,2\r\n", "Other:$PGRME,3\r\n"}
                : std::vector<std::string>{"Other:$GNRMC,1\r\n", "Other:$GLGSV,2\r\n",
                                           "Other:$PGRME,3\r\n"};
        EXPECT_EQ(lines.lines, want) << (any ? "AnyTalker = y" : "no AnyTalker");
    }
}

} // namespace
