#include "instruments/AccelerationOverlay.h"
#include "instruments/UphillGrade.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"

#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>
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

class GradeAndAccelerationTest : public ::testing::Test {
protected:
    void SetUp() override { platform::TranscriptClear(); }
    std::u16string Skin(const std::u16string& lines) {
        m_device.Put(u"\\Skins\\o.ini", Utf16File(u"[Settings]\r\n" + lines));
        return u"\\Skins\\o.ini";
    }
    TempDevice m_device;
    Screen m_screen{nullptr, 480, 272};
};

TEST_F(GradeAndAccelerationTest, Registrations) {
    Skin(u"");
    struct Case {
        const ComponentClass& cls;
        const char16_t* label;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {UphillGrade::Class, u"Steigung", {"+altitude", "+position", "-altitude", "-position"}},
        {AccelerationOverlay::Class, u"Beschleunigung", {"+speed", "-speed"}},
    };
    for (const Case& c : cases) {
        RecordingSources sources;
        auto entry = c.cls.CreateEntry(m_screen, &sources);
        EXPECT_EQ(entry->GetLabel(), c.label);
        EXPECT_EQ(c.cls.kind, EntryKind::Overlay);
        ASSERT_TRUE(entry->Activate(u"\\Skins\\o.ini"));
        entry->Deactivate();
        EXPECT_EQ(sources.calls, c.calls);
    }
}

// Drives due north a step a second, climbing a given number of decimetres
// per step.
struct Hill {
    UphillGrade& grade;
    int32_t latitude = 30 * GeoPosition::UnitsPerDegree;
    int32_t altitude = 1000;
    void Step(int32_t units, int32_t climb, uint32_t ms = 1000) {
        platform::headless::AdvanceClock(ms);
        latitude += units;
        altitude += climb;
        grade.OnAltitude(altitude);
        grade.OnPosition(GeoPosition(latitude, 45 * GeoPosition::UnitsPerDegree));
    }
};

TEST_F(GradeAndAccelerationTest, TheGradeOverASlidingWindowOfDistance) {
    UphillGrade grade(m_screen, 480, 272);
    ASSERT_TRUE(grade.Load(Skin(u"[UphillGrade]\r\nDistance = 100\r\n")));
    EXPECT_EQ(grade.Window(), 100);
    EXPECT_EQ(Text(grade), u"?%");
    Hill hill{grade};
    // 54 units are 10.0 m; 5 dm up a step is a 5 % climb.
    for (int i = 0; i < 9; ++i)
        hill.Step(54, 5);
    EXPECT_EQ(Text(grade), u"?%"); // 80 m: not a whole window yet
    hill.Step(54, 5);
    hill.Step(54, 5);
    EXPECT_EQ(grade.Grade(), 5);
    EXPECT_EQ(Text(grade), u"5%");
    // Over the crest: after a window of 3 % down the old climb is gone.
    for (int i = 0; i < 12; ++i)
        hill.Step(54, -3);
    EXPECT_EQ(Text(grade), u"-3%");
    // Standing still while the altitude wanders keeps the grade.
    for (int i = 0; i < 20; ++i)
        hill.Step(0, i % 2 ? 40 : -40);
    EXPECT_EQ(Text(grade), u"-3%");
    // A jump of the position starts the window over.
    hill.Step(30000, 0);
    EXPECT_EQ(Text(grade), u"?%");
    EXPECT_FALSE(grade.Grade().has_value());

    // The default window, and its bounds.
    ASSERT_TRUE(grade.Load(Skin(u"")));
    EXPECT_EQ(grade.Window(), 200);
    ASSERT_TRUE(grade.Load(Skin(u"[UphillGrade]\r\nDistance = 1\r\n")));
    EXPECT_EQ(grade.Window(), UphillGrade::MinWindow);
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(GradeAndAccelerationTest, NoGradeWithoutAnAltitudeOrOnAFlatRoad) {
    UphillGrade grade(m_screen, 480, 272);
    ASSERT_TRUE(grade.Load(Skin(u"[UphillGrade]\r\nDistance = 50\r\n")));
    for (int i = 1; i <= 20; ++i) {
        platform::headless::AdvanceClock(1000);
        grade.OnPosition(GeoPosition(i * 54, 0));
    }
    EXPECT_EQ(Text(grade), u"?%");
    // A flat road shows 0 %, a fix without position changes nothing.
    Hill hill{grade};
    for (int i = 0; i < 8; ++i)
        hill.Step(54, 0);
    EXPECT_EQ(Text(grade), u"0%");
    grade.OnPosition(GeoPosition(0, 0, false));
    EXPECT_EQ(Text(grade), u"0%");
}

TEST_F(GradeAndAccelerationTest, AccelerationFromSpeedChanges) {
    AccelerationOverlay a(m_screen, 480, 272);
    ASSERT_TRUE(a.Load(Skin(u"")));
    EXPECT_FALSE(a.ShowsMaxMin());
    EXPECT_EQ(Text(a), u"-.--m/s²");
    struct Step {
        uint32_t ms;
        int32_t speed; // tenths of km/h
        const char16_t* text;
    };
    // clang-format off
    const Step steps[] = {
        {0, 0, u"-.--m/s²"},       // only a base
        {500, 100, u"-.--m/s²"},   // half an interval: wait for more
        {500, 288, u"8.00m/s²"},   // 28.8 km/h in a second
        {1000, 297, u"0.25m/s²"},
        {2000, 9, u"-4.00m/s²"},
        {1000, 9, u"0.00m/s²"},
        {1000, 369, u"0.00m/s²"},  // 36 km/h in a second, beyond 1 g: not a car
        {1000, 333, u"-1.00m/s²"},
        {6000, 0, u"-1.00m/s²"},   // after a long gap: a new base, no value
        {1000, 36, u"1.00m/s²"},
        {1000, 35, u"-0.03m/s²"},
    };
    // clang-format on
    for (const Step& s : steps) {
        platform::headless::AdvanceClock(s.ms);
        a.OnSpeed(s.speed);
        EXPECT_EQ(Text(a), s.text) << s.speed;
    }
    EXPECT_EQ(a.Maximum(), 800);
    EXPECT_EQ(a.Minimum(), -400);

    // With "MaxMin" the extremes since loading follow; loading starts over.
    ASSERT_TRUE(a.Load(Skin(u"[AccelerationOverlay]\r\nMaxMin = y\r\nInterval = 2000\r\n")));
    EXPECT_TRUE(a.ShowsMaxMin());
    EXPECT_EQ(Text(a), u"-.--m/s²\nmax -.--\nmin -.--");
    a.OnSpeed(0);
    platform::headless::AdvanceClock(1000);
    a.OnSpeed(288);
    EXPECT_EQ(Text(a), u"-.--m/s²\nmax -.--\nmin -.--");
    platform::headless::AdvanceClock(1000);
    a.OnSpeed(576);
    EXPECT_EQ(Text(a), u"8.00m/s²\nmax 8.00\nmin 8.00");
    platform::headless::AdvanceClock(4000);
    a.OnSpeed(0);
    EXPECT_EQ(Text(a), u"-4.00m/s²\nmax 8.00\nmin -4.00");
}

} // namespace
