// The two logs as the dashboard uses them: the lamp in pixels, what reaches
// the file from sentences and speeds, and switching a log off and on.
#include "instruments/FullLog.h"
#include "instruments/SpeedLog.h"

#include "display/ComponentEntry.h"
#include "display/Screen.h"
#include "gps/AltitudeListener.h"
#include "gps/GpsReceiver.h"
#include "gps/PositionListener.h"
#include "gps/ValueSources.h"

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/window.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace velvane;
using namespace platform::testing::colors;
using platform::Color;
using platform::Rgb;
using platform::testing::Utf16File;
namespace fs = std::filesystem;

namespace {

constexpr Color Paper = Rgb(1, 2, 3);

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        platform::SystemTime t;
        t.year = 2007;
        t.month = 12;
        t.day = 6;
        t.hour = 14;
        t.minute = 5;
        t.second = 10;
        platform::SetSystemTime(t);
        fs::create_directories(device.HostPath(u"\\Logs"));
    }

    void Settings(std::u16string_view path, const std::u16string& text) {
        device.Put(path, Utf16File(text));
    }

    std::unique_ptr<platform::Canvas> Drawn(LogWriter& log) {
        auto canvas = platform::Canvas::Create(log.Width(), log.Height());
        canvas->FillRect({0, 0, log.Width(), log.Height()}, Paper);
        log.Draw(*canvas, 0, 0);
        return canvas;
    }

    platform::testing::TempDevice device;
    Screen screen{nullptr, 480, 272};
};

TEST_F(LogTest, TheLampIsGoodAfterAWriteHollowWhenARecordIsDroppedAndBadWithoutAFile) {
    Settings(u"\\lamp.ini", u"[Metrics]\r\nX = 20\r\nY = 30\r\nDiameter = 10\r\n"
                            u"[Colors]\r\nGood = 0000FF\r\nFrame = FF00FF\r\n"
                            u"[Settings]\r\nLogFile = \\Logs\\lamp.txt\r\nAppendDate = n\r\n"
                            u"LogIntervall = 1000\r\n");
    SpeedLog log(screen, 480, 272);
    ASSERT_TRUE(log.Load(u"\\lamp.ini"));
    // A circle of diameter 10 in the square 20..29 x 30..39: its centre
    // is filled, its top row is frame, the corners of the square are not drawn.
    auto centre = [&] { return Drawn(log)->GetPixel(25, 35); };
    EXPECT_EQ(Drawn(log)->GetPixel(25, 30), Magenta) << "the frame";
    EXPECT_EQ(Drawn(log)->GetPixel(20, 30), Paper) << "a corner outside the circle";
    EXPECT_EQ(Drawn(log)->GetPixel(30, 35), Paper) << "right of the square";
    EXPECT_EQ(centre(), Paper) << "open, nothing written yet: hollow";
    log.OnSpeed(123);
    EXPECT_EQ(centre(), Blue) << "written: good";
    log.OnSpeed(124);
    EXPECT_EQ(centre(), Paper) << "dropped within the interval: hollow";
    EXPECT_EQ(Drawn(log)->GetPixel(25, 30), Magenta);

    Settings(u"\\nofile.ini", u"[Settings]\r\nAppendDate = n\r\n");
    ASSERT_TRUE(log.Load(u"\\nofile.ini"));
    // Defaults again: 64, 4, diameter 5, red.
    EXPECT_EQ(Drawn(log)->GetPixel(66, 6), Red) << "no LogFile: bad";
    EXPECT_EQ(Drawn(log)->GetPixel(66, 4), Black) << "the default frame";
    log.OnSpeed(10);
    EXPECT_EQ(Drawn(log)->GetPixel(66, 6), Red);
    EXPECT_EQ(device.Get(u"\\Logs\\lamp.txt"), "12.3 ");
}

TEST_F(LogTest, ALampAnchoredAtAnEdgeStaysInsideWhateverTheOrderOfItsKeys) {
    for (const char16_t* metrics :
         {u"X = -4\r\nY = -6\r\nDiameter = 10\r\n", u"Diameter = 10\r\nX = -4\r\nY = -6\r\n"}) {
        Settings(u"\\edge.ini", u"[Metrics]\r\n" + std::u16string(metrics));
        FullLog log(screen, 480, 272);
        log.Load(u"\\edge.ini");
        EXPECT_EQ(log.LampX(), 480 - 4 - 10);
        EXPECT_EQ(log.LampY(), 272 - 6 - 10);
        auto canvas = Drawn(log);
        EXPECT_EQ(canvas->GetPixel(471, 261), Red);
        EXPECT_EQ(canvas->GetPixel(476, 261), Paper) << "4 pixels left free at the right";
    }
}

TEST_F(LogTest, BadSettingsAreRejectedAndTheRestStillApplies) {
    Settings(u"\\bad.ini", u"[Colors]\r\nGood = 00FF\r\nBad = 00FF00\r\n"
                           u"[Log]\r\nRMC = y\r\nGGA = n\r\nBogus = y\r\n"
                           u"[Settings]\r\nLogFile = \\Logs\\b.nmea\r\nAppendDate = n\r\n");
    platform::headless::QueueMessageBoxAnswer(u"*", 7); // one report is enough
    FullLog log(screen, 480, 272);
    ASSERT_TRUE(log.Load(u"\\bad.ini"));
    EXPECT_EQ(log.LampSettings().good, Green) << "a colour of 4 digits is ignored";
    EXPECT_EQ(log.LampSettings().bad, Green);
    EXPECT_EQ(log.Filter(), static_cast<unsigned>(SentenceRMC));
    // A new Load starts from an empty filter.
    Settings(u"\\gga.ini", u"[Log]\r\nGGA = y\r\n");
    log.Load(u"\\gga.ini");
    EXPECT_EQ(log.Filter(), static_cast<unsigned>(SentenceGGA));
}

TEST_F(LogTest, SpeedsAreWrittenAsTenthsWithABlank) {
    Settings(u"\\v.ini", u"[Settings]\r\nLogFile = \\Logs\\v.txt\r\nAppendDate = n\r\n");
    SpeedLog log(screen, 480, 272);
    ASSERT_TRUE(log.Load(u"\\v.ini"));
    for (int32_t v : {0, 7, 443, 1000, 2147483647})
        log.OnSpeed(v);
    log.Load(u"\\v.ini"); // closes and appends again
    log.OnSpeed(12);
    EXPECT_EQ(device.Get(u"\\Logs\\v.txt"), "0.0 0.7 44.3 100.0 214748364.7 1.2 ");
}

TEST_F(LogTest, TheLastRecordsReachTheMediumInTimeWhenNoMoreCome) {
    platform::WindowHandler handler;
    platform::WindowOptions options;
    options.className = u"Velvane";
    options.rect = {0, 0, 480, 272};
    platform::Window* window = platform::Window::Create(options, handler);
    ASSERT_NE(window, nullptr);
    {
        Screen onWindow(window, 480, 272);
        Settings(u"\\s.ini", u"[Settings]\r\nLogFile = \\Logs\\s.txt\r\n");
        SpeedLog log(onWindow, 480, 272);
        ASSERT_TRUE(log.Load(u"\\s.ini"));
        log.OnSpeed(50); // and then the receiver goes quiet
        EXPECT_TRUE(log.Recorder().HasUnsynced());
        platform::headless::AdvanceClock(LogRecorder::SyncAgeMs - 100);
        EXPECT_TRUE(log.Recorder().HasUnsynced()) << "not before it is due";
        platform::headless::AdvanceClock(600);
        EXPECT_FALSE(log.Recorder().HasUnsynced()) << "synced by the log's own timer";
    }
    window->Destroy();
}

// The receiver with a replayed port of these lines, and AnyTalker or not.
class Receiving : public LogTest {
protected:
    void Start(const std::string& lines, bool anyTalker, const char* pace = ",speed=1000000") {
        const fs::path log = device.Root() / "in.nmea";
        device.Put(u"\\in.nmea", lines);
        platform::HostSettings host = platform::Host();
        host.ports = "COM1=replay:" + log.string() + pace;
        platform::Initialize(host);
        Settings(u"\\gps.ini", anyTalker ? u"[GPS-Settings]\r\nComPort = 1\r\nAnyTalker = y\r\n"
                                         : u"[GPS-Settings]\r\nComPort = 1\r\n");
        ASSERT_TRUE(receiver.Load(u"\\gps.ini"));
    }
    void Deliver() {
        platform::headless::AdvanceClock(1000);
        receiver.Poll();
    }
    GpsReceiver receiver{nullptr};
};

TEST_F(Receiving, TheFilterChoosesSentencesByTypeAndAnyTalkerMakesEveryTalkerCount) {
    const std::string lines = "$GNRMC,1*00\r\n$GPGGA,2*00\r\n$GPGSV,3*00\r\n$GPRMC,4*00\r\n"
                              "$PGRME,5*00\r\n$GLGSA,6*00\r\n$GPVTG,7*00\r\n";
    struct Case {
        const char16_t* filter;
        bool anyTalker;
        const char* want;
    } cases[] = {
        {u"RMC = y\r\n", true, "$GNRMC,1*00\r\n$GPRMC,4*00\r\n"},
        {u"RMC = y\r\n", false, "$GPRMC,4*00\r\n"},
        {u"Other = y\r\n", false, "$GNRMC,1*00\r\n$PGRME,5*00\r\n$GLGSA,6*00\r\n"},
        {u"Other = y\r\n", true, "$PGRME,5*00\r\n"},
        {u"GSA = y\r\nGSV = y\r\nVTG = y\r\n", true,
         "$GPGSV,3*00\r\n$GLGSA,6*00\r\n$GPVTG,7*00\r\n"},
        {u"RMC = y\r\nGGA = y\r\nGSV = y\r\nVTG = y\r\nGSA = y\r\nOther = y\r\n", true,
         lines.c_str()},
        {u"", true, ""},
    };
    for (const Case& c : cases) {
        fs::remove(device.HostPath(u"\\Logs\\f.nmea"));
        Start(lines, c.anyTalker);
        Settings(u"\\f.ini", u"[Settings]\r\nLogFile = \\Logs\\f.nmea\r\nAppendDate = n\r\n"
                             u"[Log]\r\n" +
                                 std::u16string(c.filter));
        FullLog log(screen, 480, 272);
        ASSERT_TRUE(log.Load(u"\\f.ini"));
        receiver.AddSentenceListener(&log, ListPosition::Front);
        Deliver();
        receiver.RemoveSentenceListener(&log);
        log.Load(u"\\f.ini"); // closes
        const std::u16string f = c.filter;
        EXPECT_EQ(device.Get(u"\\Logs\\f.nmea"), c.want)
            << std::string(f.begin(), f.end()) << " anyTalker " << c.anyTalker;
    }
}

// A ValueSources that gives sentences straight to the receiver, in order.
struct Sources : ValueSources {
    explicit Sources(GpsReceiver& receiver) : receiver(receiver) {}
    void AddSpeedListener(SpeedListener*) override {}
    void RemoveSpeedListener(SpeedListener*) override {}
    void AddAltitudeListener(AltitudeListener*) override {}
    void RemoveAltitudeListener(AltitudeListener*) override {}
    void AddPositionListener(PositionListener*) override {}
    void RemovePositionListener(PositionListener*) override {}
    void AddSentenceListener(SentenceListener* l) override { receiver.AddSentenceListener(l); }
    void RemoveSentenceListener(SentenceListener* l) override {
        receiver.RemoveSentenceListener(l);
    }
    void AddFirstSentenceListener(SentenceListener* l) override {
        receiver.AddSentenceListener(l, ListPosition::Front);
    }
    GpsReceiver& receiver;
};

TEST_F(Receiving, SwitchingALogOffAndOnAppendsWithinTheMinuteAndStartsANewFileAfterIt) {
    // One line a second, numbered by the second it arrives in (the first at once).
    std::string lines;
    for (int s = 0; s < 120; ++s)
        lines += "$GPRMC," + std::to_string(s) + "*00\r\n";
    Start(lines, false, "");
    Settings(u"\\t.ini", u"[Settings]\r\nLogFile = \\Logs\\t.nmea\r\nAppendTime = y\r\n"
                         u"[Log]\r\nRMC = y\r\n");
    Sources sources(receiver);
    ComponentEntryOf<FullLog> entry(screen, &sources, FullLog::Class);
    auto run = [&](int seconds) {
        for (int s = 0; s < seconds; ++s) {
            platform::headless::AdvanceClock(1000);
            receiver.Poll();
        }
    };
    ASSERT_TRUE(entry.Activate(u"\\t.ini")); // 14:05:10
    run(5);
    entry.Deactivate();
    run(15);
    ASSERT_TRUE(entry.Activate(u"\\t.ini")); // 14:05:30: the same file
    run(5);
    entry.Deactivate();
    run(40);
    ASSERT_TRUE(entry.Activate(u"\\t.ini")); // 14:06:15: a new one
    run(5);
    entry.Deactivate();
    auto numbers = [](const std::string& text) {
        std::string out;
        for (size_t at = text.find(','); at != std::string::npos; at = text.find(',', at + 1))
            out += text.substr(at + 1, text.find('*', at) - at - 1) + " ";
        return out;
    };
    EXPECT_EQ(numbers(device.Get(u"\\Logs\\t_061207_14-05.nmea")), "0 1 2 3 4 5 21 22 23 24 25 ");
    EXPECT_EQ(numbers(device.Get(u"\\Logs\\t_061207_14-06.nmea")), "66 67 68 69 70 ");
    EXPECT_EQ(receiver.SentenceListenerCount(), 0u) << "switched off, the log is gone";
}

} // namespace
