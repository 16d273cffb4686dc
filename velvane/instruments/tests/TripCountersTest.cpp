#include "instruments/AverageSpeed.h"
#include "instruments/CounterFile.h"
#include "instruments/JourneyTime.h"
#include "instruments/Odometer.h"
#include "instruments/TopSpeed.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"

#include "platform/headless.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace velvane;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

std::u16string Text(TextOverlay& overlay) {
    char16_t buffer[64];
    return std::u16string(buffer, overlay.FormatText(buffer, 64));
}

std::string Bytes(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

// Records registrations in order, as the model's sources would see them.
class RecordingSources : public ValueSources {
public:
    void AddSpeedListener(SpeedListener*) override { calls.push_back("+speed"); }
    void RemoveSpeedListener(SpeedListener*) override { calls.push_back("-speed"); }
    void AddAltitudeListener(AltitudeListener*) override { calls.push_back("+altitude"); }
    void RemoveAltitudeListener(AltitudeListener*) override { calls.push_back("-altitude"); }
    void AddPositionListener(PositionListener*) override { calls.push_back("+position"); }
    void RemovePositionListener(PositionListener*) override { calls.push_back("-position"); }
    void AddSentenceListener(SentenceListener*) override { calls.push_back("+sentence"); }
    void RemoveSentenceListener(SentenceListener*) override { calls.push_back("-sentence"); }
    std::vector<std::string> calls;
};

class TripCountersTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::TranscriptClear();
        platform::headless::ClearMessageBoxAnswers();
    }
    // A skin at \Skins\Fahrt.ini with these lines after "[Settings]".
    std::u16string Skin(const std::u16string& lines) {
        m_device.Put(u"\\Skins\\Fahrt.ini", Utf16File(u"[Settings]\r\nSize = 30\r\n" + lines));
        return u"\\Skins\\Fahrt.ini";
    }
    std::string Get(std::u16string_view path) { return m_device.Get(path); }

    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
};

TEST_F(TripCountersTest, EachClassRegistersWhatItListensToAndRemovesItAgain) {
    Skin(u"");
    struct Case {
        const ComponentClass& cls;
        const char16_t* label;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {TopSpeed::Class, u"Vmax", {"+speed", "-speed"}},
        {AverageSpeed::Class, u"Ø-Geschw.", {"+speed", "-speed"}},
        {JourneyTime::Class, u"Fahrzeit", {"+speed", "-speed"}},
        {Odometer::Class, u"Kilometerzähler", {"+position", "+speed", "-position", "-speed"}},
    };
    for (const Case& c : cases) {
        RecordingSources sources;
        auto entry = c.cls.CreateEntry(m_screen, &sources);
        EXPECT_EQ(entry->GetLabel(), c.label);
        EXPECT_EQ(c.cls.kind, EntryKind::Overlay);
        ASSERT_TRUE(entry->Activate(u"\\Skins\\Fahrt.ini"));
        entry->Deactivate();
        EXPECT_EQ(sources.calls, c.calls) << std::string(c.cls.sectionName, c.cls.sectionName + 3);
    }
    // A skin that cannot be read registers nothing.
    RecordingSources sources;
    auto entry = Odometer::Class.CreateEntry(m_screen, &sources);
    EXPECT_FALSE(entry->Activate(u"\\Skins\\missing.ini"));
    EXPECT_TRUE(sources.calls.empty());
}

TEST_F(TripCountersTest, TopAndAverageSpeedTexts) {
    TopSpeed top(m_screen, 480, 272);
    ASSERT_TRUE(top.Load(Skin(u"")));
    EXPECT_EQ(Text(top), u"-.-km/h");
    top.OnSpeed(123);
    EXPECT_EQ(Text(top), u"12.3km/h");
    top.OnSpeed(50);
    EXPECT_EQ(Text(top), u"12.3km/h");
    top.OnSpeed(0);
    EXPECT_EQ(top.Maximum(), 123);
    // A new skin keeps the maximum.
    ASSERT_TRUE(top.Load(Skin(u"")));
    EXPECT_EQ(Text(top), u"12.3km/h");

    AverageSpeed average(m_screen, 480, 272);
    ASSERT_TRUE(average.Load(Skin(u"")));
    EXPECT_EQ(Text(average), u"-.- Ø");
    for (int v : {100, 0, 300})
        average.OnSpeed(v);
    EXPECT_EQ(Text(average), u"20.0 Ø");
    average.OnSpeed(1);
    EXPECT_EQ(Text(average), u"13.3 Ø"); // 401 / 3 cut, not rounded
    // A new skin starts a new average.
    ASSERT_TRUE(average.Load(Skin(u"")));
    EXPECT_EQ(Text(average), u"-.- Ø");

    // A buffer too small for the text is filled to its end.
    ASSERT_TRUE(top.Load(Skin(u"BufferSize = 4\r\n")));
    char16_t buffer[4];
    EXPECT_EQ(top.FormatText(buffer, 4), 4);
    EXPECT_EQ(std::u16string(buffer, 4), u"12.3");
}

TEST_F(TripCountersTest, TheAverageKeepsItsValueWhenItsCountersRunFull) {
    struct Case {
        uint32_t sum, count;
        int32_t speed;
    };
    for (const Case c : {Case{UINT32_MAX - 10, 4000, 500}, Case{UINT32_MAX - 10, 1000, 100},
                         Case{2000000000u, UINT32_MAX, 7}, Case{UINT32_MAX - 5, 200, 1000}}) {
        AverageSpeed average(m_screen, 480, 272);
        average.SetState(c.sum, c.count);
        average.OnSpeed(c.speed);
        if (c.count < 256) {
            // Too few samples to drop 256: it starts over from this one.
            EXPECT_EQ(average.Count(), 1u);
            EXPECT_EQ(average.Sum(), static_cast<uint32_t>(c.speed));
            continue;
        }
        const double before = static_cast<double>(c.sum) / c.count;
        const double after = static_cast<double>(average.Sum()) / average.Count();
        EXPECT_EQ(average.Count(), c.count - 256 + 1);
        EXPECT_NEAR(after, before, before * 0.002) << c.count;
    }
}

TEST_F(TripCountersTest, JourneyTimeTextsAndTheCounterFile) {
    struct Case {
        uint32_t total;
        const char16_t* text;
    };
    const Case cases[] = {
        {0, u"0min"},
        {(59 * 60 + 59) * 1000u, u"59min"},
        {3600000u, u"1h 0m"},
        {((24 + 2) * 60 + 5) * 60000u, u"1d 2h 5m"},
        {UINT32_MAX, u"49d 17h 2m"},
    };
    for (const Case& c : cases) {
        m_device.Put(u"\\Skins\\Fahrt_journeytime.sav", Bytes(c.total));
        JourneyTime journey(m_screen, 480, 272);
        ASSERT_TRUE(journey.Load(Skin(u"")));
        EXPECT_EQ(journey.Total(), c.total);
        EXPECT_EQ(Text(journey), c.text);
    }
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(TripCountersTest, JourneyTimeCountsMovingTimeAndSavesAtStopsAndIntervals) {
    m_device.Put(u"\\Skins\\Fahrt_journeytime.sav", Bytes(60000));
    const std::u16string sav = u"\\Skins\\Fahrt_journeytime.sav";
    {
        JourneyTime journey(m_screen, 480, 272);
        ASSERT_TRUE(journey.Load(
            Skin(u"[JourneyTime]\r\nSaveTime = y\r\nMinSpeed = 5\r\nSavingInterval = 2\r\n")));
        EXPECT_TRUE(journey.SaveFlag());
        EXPECT_EQ(journey.MinSpeed(), 50);
        EXPECT_EQ(journey.SavingInterval(), 120000u);
        EXPECT_EQ(journey.Total(), 60000u);

        journey.OnSpeed(49); // below the minimum: standing
        platform::headless::AdvanceClock(10000);
        EXPECT_FALSE(journey.Moving());
        journey.OnSpeed(50); // exactly the minimum counts as moving
        EXPECT_TRUE(journey.Moving());
        platform::headless::AdvanceClock(90000);
        journey.OnSpeed(80);
        EXPECT_EQ(journey.Shown(), 150000u);
        EXPECT_EQ(Get(sav), Bytes(60000)); // not yet an interval
        platform::headless::AdvanceClock(30000);
        journey.OnSpeed(80);
        EXPECT_EQ(Get(sav), Bytes(180000)); // two minutes moving: saved
        platform::headless::AdvanceClock(15000);
        journey.OnSpeed(0); // a stop saves
        EXPECT_FALSE(journey.Moving());
        EXPECT_EQ(Get(sav), Bytes(195000));
        platform::headless::AdvanceClock(60000);
        EXPECT_EQ(Text(journey), u"3min");
        journey.OnSpeed(100);
        platform::headless::AdvanceClock(20000);
    }
    // Deactivated while moving: the running stretch is kept too.
    EXPECT_EQ(Get(sav), Bytes(215000));
    EXPECT_TRUE(MessageBoxes().empty());

    // Without "SaveTime" nothing is written.
    {
        JourneyTime journey(m_screen, 480, 272);
        ASSERT_TRUE(journey.Load(Skin(u"")));
        journey.OnSpeed(100);
        platform::headless::AdvanceClock(600000);
        journey.OnSpeed(0);
        EXPECT_EQ(journey.Total(), 815000u);
    }
    EXPECT_EQ(Get(sav), Bytes(215000));
}

TEST_F(TripCountersTest, OdometerTexts) {
    struct Case {
        uint32_t total;
        const char16_t* text;
    };
    const Case cases[] = {
        {0, u"0.00m"},
        {5, u"0.05m"},
        {99999, u"999.99m"},
        {100000, u"1.00km"},
        {123456, u"1.23km"},
        {4299000, u"42.99km"},
        {UINT32_MAX, u"42949.67km"},
    };
    for (const Case& c : cases) {
        m_device.Put(u"\\Skins\\Fahrt_milage.sav", Bytes(c.total));
        Odometer odometer(m_screen, 480, 272);
        ASSERT_TRUE(odometer.Load(Skin(u"")));
        EXPECT_EQ(Text(odometer), c.text);
    }
}

TEST_F(TripCountersTest, ShortOrUnwritableCounterFiles) {
    // Two bytes: 0 and the read message; no file: 0 silently.
    m_device.Put(u"\\Skins\\Fahrt_milage.sav", "\x10\x27");
    m_device.Put(u"\\Skins\\Fahrt_journeytime.sav", "");
    {
        Odometer odometer(m_screen, 480, 272);
        ASSERT_TRUE(odometer.Load(Skin(u"[Odometer]\r\nSaveMileage = y\r\n")));
        EXPECT_EQ(odometer.Total(), 0u);
        JourneyTime journey(m_screen, 480, 272);
        ASSERT_TRUE(journey.Load(Skin(u"")));
        EXPECT_EQ(journey.Total(), 0u);
        m_device.Put(u"\\Other\\Weg.ini", Utf16File(u"[Settings]\r\n"));
        JourneyTime fresh(m_screen, 480, 272);
        ASSERT_TRUE(fresh.Load(u"\\Other\\Weg.ini"));
        EXPECT_EQ(fresh.Total(), 0u);
    }
    const auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "messagebox caption=\"Fehler\" text=\"Kilometerstand konnte nicht "
                        "eingelesen werden.\" buttons=Ok icon=Error answer=Ok");
    EXPECT_EQ(boxes[1], "messagebox caption=\"Fehler\" text=\"Fahrzeit konnte nicht eingelesen "
                        "werden.\" buttons=Ok icon=Error answer=Ok");
    // The odometer's destructor wrote a whole file in place of the short one.
    EXPECT_EQ(Get(u"\\Skins\\Fahrt_milage.sav"), Bytes(0));

    // A counter that cannot replace its file says so and keeps what is there.
    platform::TranscriptClear();
    std::filesystem::remove(m_device.HostPath(u"\\Skins\\Fahrt_milage.sav"));
    std::filesystem::create_directory(m_device.HostPath(u"\\Skins\\Fahrt_milage.sav"));
    {
        Odometer odometer(m_screen, 480, 272);
        ASSERT_TRUE(odometer.Load(Skin(u"[Odometer]\r\nSaveMileage = y\r\n")));
    }
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_NE(MessageBoxes()[0].find("Kilometerstand konnte nicht gespeichert werden."),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(m_device.HostPath(u"\\Skins\\Fahrt_milage.sav")));
}

TEST_F(TripCountersTest, CounterFileNamesAndBytes) {
    Skin(u"");
    struct Case {
        const char16_t* ini;
        const char16_t* counter;
    };
    const Case cases[] = {
        {u"\\Skins\\Fahrt.ini", u"\\Skins\\Fahrt_journeytime.sav"},
        {u"\\Skins\\Fahrt", u"\\Skins\\Fahrt_journeytime.sav"},
        {u"\\Skins\\a.b.ini", u"\\Skins\\a.b_journeytime.sav"},
        {u"\\Mein.Ordner\\Fahrt", u"\\Mein.Ordner\\Fahrt_journeytime.sav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CounterFilePath(c.ini, JourneyTime::Suffix), c.counter);
    EXPECT_EQ(CounterFilePath(u"\\Skins\\Fahrt.ini", Odometer::Suffix),
              u"\\Skins\\Fahrt_milage.sav");

    ASSERT_EQ(WriteCounterFile(u"\\Skins\\c.sav", 0x01020304u), CounterWrite::Written);
    EXPECT_EQ(Get(u"\\Skins\\c.sav"), std::string("\x04\x03\x02\x01", 4));
    uint32_t value = 0;
    EXPECT_EQ(ReadCounterFile(u"\\Skins\\c.sav", value), CounterRead::Read);
    EXPECT_EQ(value, 0x01020304u);
    EXPECT_EQ(ReadCounterFile(u"\\Skins\\none.sav", value), CounterRead::Missing);
    EXPECT_EQ(WriteCounterFile(u"\\No\\Such\\Folder\\c.sav", 1), CounterWrite::NotCreated);
    // Nothing but the file itself is left in the folder.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e :
         std::filesystem::directory_iterator(m_device.HostPath(u"\\Skins")))
        ++files;
    EXPECT_EQ(files, 2u); // with Fahrt.ini
}

TEST_F(TripCountersTest, TapsOnTheTextAskBeforeResetting) {
    const std::u16string skin = Skin(u"");
    // Size 30 at (10, 10): TopSpeed's box is 6 * 20 = 120 wide, the others' 100.
    TopSpeed top(m_screen, 480, 272);
    AverageSpeed average(m_screen, 480, 272);
    JourneyTime journey(m_screen, 480, 272);
    Odometer odometer(m_screen, 480, 272);
    for (TextOverlay* o : std::initializer_list<TextOverlay*>{&top, &average, &journey, &odometer})
        ASSERT_TRUE(o->Load(skin));
    top.OnSpeed(500);
    average.OnSpeed(500);
    journey.OnSpeed(100);
    platform::headless::AdvanceClock(120000);
    odometer.SetTotal(1234);

    struct Case {
        Drawable& overlay;
        int edge; // first x past the box
        const char* question;
    };
    const Case cases[] = {
        {top, 130, "Wollen Sie die Höchstgeschwindigkeit zurücksetzten?"},
        {average, 110, "Wollen Sie die Durchschnittsgeschwindigkeit zurücksetzten?"},
        {journey, 110, "Wollen Sie die Fahrzeit zurücksetzten?"},
        {odometer, 110, "Wollen Sie den Kilometerstand zurücksetzten?"},
    };
    for (const Case& c : cases) {
        platform::TranscriptClear();
        EXPECT_FALSE(c.overlay.OnTap(c.edge, 20));
        EXPECT_FALSE(c.overlay.OnTap(9, 20));
        EXPECT_FALSE(c.overlay.OnTap(20, 40));
        EXPECT_TRUE(MessageBoxes().empty());
        // No keeps the counter, but the tap is used all the same.
        platform::headless::QueueMessageBoxAnswer(u"Zurücksetzten?", platform::IdNo);
        EXPECT_TRUE(c.overlay.OnTap(c.edge - 1, 39));
        platform::headless::QueueMessageBoxAnswer(u"Zurücksetzten?", platform::IdYes);
        EXPECT_TRUE(c.overlay.OnTap(10, 10));
        const auto boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0], std::string("messagebox caption=\"Zurücksetzten?\" text=\"") +
                                c.question + "\" buttons=YesNo icon=Question answer=No");
        EXPECT_NE(boxes[1].find("answer=Yes"), std::string::npos);
    }
    EXPECT_EQ(Text(top), u"-.-km/h");
    EXPECT_EQ(Text(average), u"-.- Ø");
    EXPECT_EQ(Text(journey), u"0min");
    EXPECT_FALSE(journey.Moving());
    EXPECT_EQ(Text(odometer), u"0.00m");

    // Anchored to the right and bottom, the box sits at the far edges.
    ASSERT_TRUE(odometer.Load(Skin(u"X = -5\r\nY = -5\r\n")));
    // x from -5 + 480 - 100 = 375, y from -5 + 272 - 30 = 237.
    EXPECT_FALSE(odometer.OnTap(374, 240));
    EXPECT_FALSE(odometer.OnTap(400, 236));
    EXPECT_TRUE(odometer.OnTap(474, 266));
}

// Positions along a meridian or the equator, a step a second.
class Drive {
public:
    Drive(Odometer& odometer, int32_t latitude, int32_t longitude)
        : m_odometer(odometer), m_latitude(latitude), m_longitude(longitude) {}
    void Step(int32_t north, int32_t east, int32_t speed = 500, uint32_t ms = 1000) {
        platform::headless::AdvanceClock(ms);
        m_latitude += north;
        m_longitude += east;
        if (m_longitude >= 180 * GeoPosition::UnitsPerDegree)
            m_longitude -= 360 * GeoPosition::UnitsPerDegree;
        if (m_longitude < -180 * GeoPosition::UnitsPerDegree)
            m_longitude += 360 * GeoPosition::UnitsPerDegree;
        m_odometer.OnSpeed(speed);
        m_odometer.OnPosition(GeoPosition(m_latitude, m_longitude));
    }
    void JumpTo(int32_t latitude, int32_t longitude) {
        m_latitude = latitude;
        m_longitude = longitude;
        Step(0, 0);
    }

private:
    Odometer& m_odometer;
    int32_t m_latitude, m_longitude;
};

// Centimetres per latitude unit, as the projection counts them.
constexpr double CmPerUnit = 11132.0 / 600.0;

TEST_F(TripCountersTest, OdometerCountsOnlyWhileMovingAndSkipsJumps) {
    Odometer odometer(m_screen, 480, 272);
    ASSERT_TRUE(odometer.Load(Skin(u"[Odometer]\r\nMinSpeed = 3\r\n")));
    Drive drive(odometer, 33 * GeoPosition::UnitsPerDegree, 9 * GeoPosition::UnitsPerDegree);
    // The first fix only sets the start.
    drive.Step(0, 0);
    EXPECT_EQ(odometer.Total(), 0u);
    // 100 steps of 75 units (13.9 m, 50 km/h) north.
    for (int i = 0; i < 100; ++i)
        drive.Step(75, 0);
    EXPECT_NEAR(odometer.Total(), 100 * 75 * CmPerUnit, 100);
    const uint32_t driven = odometer.Total();
    // Below 3 km/h (29 tenths) nothing counts; exactly 3 km/h does.
    drive.Step(100, 0, 29);
    EXPECT_EQ(odometer.Total(), driven);
    drive.Step(100, 0, 30);
    EXPECT_NEAR(odometer.Total(), driven + 100 * CmPerUnit, 2);
    // An invalid fix changes nothing.
    odometer.OnPosition(GeoPosition(0, 0, false));
    drive.Step(100, 0, 30);
    EXPECT_NEAR(odometer.Total(), driven + 200 * CmPerUnit, 4);
    const uint32_t beforeJump = odometer.Total();
    // A replay starting over far away: 5 km in a second is no drive.
    drive.Step(-27000, 0);
    EXPECT_EQ(odometer.Total(), beforeJump);
    EXPECT_EQ(odometer.Jumps(), 1u);
    // Then it counts again from the new place.
    drive.Step(75, 0);
    EXPECT_NEAR(odometer.Total(), beforeJump + 75 * CmPerUnit, 2);
    // A minute without a fix (a tunnel): the 900 m through it count.
    const uint32_t beforeTunnel = odometer.Total();
    drive.Step(4850, 0, 500, 60000);
    EXPECT_NEAR(odometer.Total(), beforeTunnel + 4850 * CmPerUnit, 100);
    EXPECT_EQ(odometer.Jumps(), 1u);
}

TEST_F(TripCountersTest, SlowDrivesAreNotCutShortStepByStep) {
    // 5 km/h a fix a second: steps of 7.5 units (139 cm), north-east at 48° N.
    Odometer odometer(m_screen, 480, 272);
    ASSERT_TRUE(odometer.Load(Skin(u"")));
    Drive drive(odometer, 48 * GeoPosition::UnitsPerDegree, 11 * GeoPosition::UnitsPerDegree);
    drive.Step(0, 0);
    for (int i = 0; i < 2000; ++i)
        drive.Step(i % 2 ? 7 : 8, i % 2 ? 8 : 7, 50);
    const double east = std::cos(48.0 * 3.14159265358979 / 180.0) * CmPerUnit;
    const double step = std::hypot(7.5 * CmPerUnit, 7.5 * east);
    EXPECT_NEAR(odometer.Total(), 2000 * step, 2000 * step * 0.002);
}

TEST_F(TripCountersTest, OdometerAcrossTheAntimeridianTheEquatorAndItsLimit) {
    Odometer odometer(m_screen, 480, 272);
    ASSERT_TRUE(odometer.Load(Skin(u"")));
    // Due east along the equator from 179.99° E to 179.99° W: 2.23 km.
    Drive east(odometer, 0, 180 * GeoPosition::UnitsPerDegree - 6000);
    east.Step(0, 0);
    for (int i = 0; i < 12; ++i)
        east.Step(0, 1000);
    EXPECT_NEAR(odometer.Total(), 12000 * CmPerUnit, 12000 * CmPerUnit * 0.001);
    EXPECT_EQ(odometer.Jumps(), 0u);

    // Due north across the equator at 70.6° W: the same 2.23 km.
    ASSERT_TRUE(odometer.Load(Skin(u"")));
    Drive north(odometer, -6000, -(70 * GeoPosition::UnitsPerDegree + 360000));
    north.Step(0, 0);
    for (int i = 0; i < 12; ++i)
        north.Step(1000, 0);
    EXPECT_NEAR(odometer.Total(), 12000 * CmPerUnit, 12000 * CmPerUnit * 0.001);

    // Due north far south and far west: no easting creeps in.
    ASSERT_TRUE(odometer.Load(Skin(u"")));
    Drive south(odometer, -(33 * GeoPosition::UnitsPerDegree + 540000),
                -(70 * GeoPosition::UnitsPerDegree + 360000));
    south.Step(0, 0);
    for (int i = 0; i < 400; ++i)
        south.Step(1350, 0);
    EXPECT_NEAR(odometer.Total(), 400 * 1350 * CmPerUnit, 400 * 1350 * CmPerUnit * 0.001);

    // Near the limit it stops at UINT32_MAX rather than wrap to a few metres.
    odometer.SetTotal(UINT32_MAX - 1000);
    south.Step(1350, 0);
    EXPECT_EQ(odometer.Total(), UINT32_MAX);
    south.Step(1350, 0);
    EXPECT_EQ(odometer.Total(), UINT32_MAX);
    EXPECT_EQ(Text(odometer), u"42949.67km");
}

TEST_F(TripCountersTest, OdometerSavesWhileMovingAtStopsAndOnTheWayOut) {
    const std::u16string sav = u"\\Skins\\Fahrt_milage.sav";
    m_device.Put(sav, Bytes(100000));
    uint32_t last = 0;
    {
        Odometer odometer(m_screen, 480, 272);
        ASSERT_TRUE(
            odometer.Load(Skin(u"[Odometer]\r\nSaveMileage = y\r\nSavingInterval = 1\r\n")));
        EXPECT_EQ(odometer.SavingInterval(), 60000u);
        EXPECT_EQ(odometer.Total(), 100000u);
        Drive drive(odometer, 0, 0);
        drive.Step(0, 0);
        for (int i = 0; i < 58; ++i)
            drive.Step(100, 0);
        EXPECT_EQ(Get(sav), Bytes(100000)); // not yet a minute
        drive.Step(100, 0);
        EXPECT_EQ(Get(sav), Bytes(odometer.Total())); // a minute: saved
        drive.Step(100, 0);
        drive.Step(100, 0, 0); // stopping saves what came before
        EXPECT_EQ(Get(sav), Bytes(odometer.Total()));
        for (int i = 0; i < 5; ++i)
            drive.Step(100, 0);
        EXPECT_NE(Get(sav), Bytes(odometer.Total()));
        last = odometer.Total();
        EXPECT_NEAR(last, 100000 + 65 * 100 * CmPerUnit, 33);
    }
    uint32_t final = 0;
    ASSERT_EQ(ReadCounterFile(sav, final), CounterRead::Read);
    EXPECT_EQ(final, last);
    // The default interval is five minutes.
    Odometer odometer(m_screen, 480, 272);
    ASSERT_TRUE(odometer.Load(Skin(u"")));
    EXPECT_EQ(odometer.SavingInterval(), 300000u);
    EXPECT_TRUE(MessageBoxes().empty());
}

} // namespace
