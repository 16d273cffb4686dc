// The speedometer's overspeed alarm and its stale display, and the notice of
// stale data reaching the listeners of every source.
#include "instruments/AccelerationOverlay.h"
#include "instruments/Compass.h"
#include "instruments/Hdop.h"
#include "instruments/PositionSource.h"
#include "instruments/SatCount.h"
#include "instruments/SpeedoView.h"
#include "instruments/UphillGrade.h"

#include "display/Screen.h"
#include "gps/AltitudeSource.h"
#include "gps/GpsReceiver.h"
#include "gps/SpeedSource.h"

#include "platform/canvas.h"
#include "platform/headless.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::Canvas;
using platform::Color;
using platform::Rect;
using platform::Rgb;
using platform::testing::TempDevice;
using platform::testing::Utf16File;
using namespace platform::testing::colors;

namespace {

// Where the default digits of a 240x320 view lie, clear of the dial.
constexpr Rect DigitArea{0, 262, 240, 320};

int CountIn(const Canvas& c, Rect r, Color color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

std::vector<std::string> Tones() {
    std::vector<std::string> out;
    for (const std::string& line : platform::TranscriptLines())
        if (line.rfind("tone ", 0) == 0)
            out.push_back(line);
    return out;
}

class SpeedAlarmTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::WindowOptions options;
        options.className = u"Velvane";
        options.rect = {0, 0, 240, 320};
        m_window = platform::Window::Create(options, m_handler);
        ASSERT_NE(m_window, nullptr);
        m_screen = std::make_unique<Screen>(m_window, 240, 320);
        platform::TranscriptClear();
    }
    void TearDown() override {
        m_views.clear();
        m_screen.reset();
        if (m_window)
            m_window->Destroy();
    }
    SpeedoView& Loaded(const std::u16string& text) {
        m_device.Put(u"\\Skins\\alarm.ini", Utf16File(text));
        m_views.push_back(std::make_unique<SpeedoView>(*m_screen, 240, 320));
        EXPECT_TRUE(m_views.back()->Load(u"\\Skins\\alarm.ini"));
        return *m_views.back();
    }
    std::unique_ptr<Canvas> Drawn(SpeedoView& view) {
        auto canvas = Canvas::Create(240, 320);
        view.Draw(*canvas, 0, 0);
        return canvas;
    }

    TempDevice m_device;
    platform::WindowHandler m_handler;
    platform::Window* m_window = nullptr;
    std::unique_ptr<Screen> m_screen;
    std::vector<std::unique_ptr<SpeedoView>> m_views;
};

const std::u16string AlarmSkin = u"[Alarm]\r\nLimit = 50\r\nColor = FF00FF\r\n";

TEST_F(SpeedAlarmTest, ADriveHoveringAroundTheLimitSoundsOncePerCrossing) {
    SpeedoView& view = Loaded(AlarmSkin);
    EXPECT_EQ(view.AlarmSettings().hysteresis, 3);
    // Limit 50 km/h, re-armed only below 47 km/h.
    const struct {
        int32_t speed;
        bool alarm;
        size_t tones;
    } drive[] = {
        {480, false, 0}, {500, false, 0}, {501, true, 1}, {499, true, 1},  {505, true, 1},
        {471, true, 1},  {470, true, 1},  {520, true, 1}, {469, false, 1}, {495, false, 1},
        {510, true, 2},  {300, false, 2}, {900, true, 3}, {0, false, 3},
    };
    for (const auto& step : drive) {
        view.OnSpeed(step.speed);
        EXPECT_EQ(view.IsAlarmOn(), step.alarm) << "at " << step.speed;
        EXPECT_EQ(Tones().size(), step.tones) << "at " << step.speed;
        // The digits show the alarm colour exactly while the alarm is on.
        auto frame = Drawn(view);
        EXPECT_EQ(CountIn(*frame, DigitArea, Magenta) > 0, step.alarm) << "at " << step.speed;
        EXPECT_EQ(CountIn(*frame, DigitArea, Green) > 0, !step.alarm) << "at " << step.speed;
    }
    EXPECT_EQ(Tones().front(), "tone 880 200");
}

TEST_F(SpeedAlarmTest, AlarmDigitsBlinkOnTheTimerAndStopBelowTheLimit) {
    SpeedoView& view = Loaded(AlarmSkin + u"Blink = 400\r\nTone = 1200\r\nToneMs = 80\r\n");
    view.OnSpeed(600);
    ASSERT_EQ(Tones(), std::vector<std::string>{"tone 1200 80"});
    // On, off, on, off: in the dark phase the box keeps only its background.
    for (int phase = 0; phase < 4; ++phase) {
        auto frame = Drawn(view);
        const bool lit = phase % 2 == 0;
        EXPECT_EQ(CountIn(*frame, DigitArea, Magenta) > 0, lit) << "phase " << phase;
        EXPECT_EQ(CountIn(*frame, DigitArea, Green), 0) << "phase " << phase;
        platform::headless::AdvanceClock(400);
    }
    view.OnSpeed(400);
    for (int phase = 0; phase < 3; ++phase) {
        EXPECT_GT(CountIn(*Drawn(view), DigitArea, Green), 0) << "steady after, phase " << phase;
        platform::headless::AdvanceClock(400);
    }
    EXPECT_EQ(Tones().size(), 1u);
}

TEST_F(SpeedAlarmTest, WithoutALimitNothingChangesAndBadValuesAreRefused) {
    SpeedoView& plain = Loaded(u"[DigitalMetrics]\r\nDigitSize = 50\r\n");
    plain.OnSpeed(3000);
    EXPECT_FALSE(plain.IsAlarmOn());
    EXPECT_GT(CountIn(*Drawn(plain), DigitArea, Green), 0);
    EXPECT_TRUE(Tones().empty());

    // The answer to the notice of a bad line silences the rest.
    SpeedoView& bad = Loaded(u"[Alarm]\r\nLimit = -5\r\nHysteresis = x\r\nColor = F0\r\n");
    EXPECT_EQ(bad.AlarmSettings().limit, 0);
    EXPECT_EQ(bad.AlarmSettings().color, Red);
    bad.OnSpeed(3000);
    EXPECT_TRUE(Tones().empty());

    // A hysteresis larger than the limit re-arms at a stop.
    SpeedoView& wide = Loaded(u"[Alarm]\r\nLimit = 5\r\nHysteresis = 20\r\n");
    for (int32_t speed : {60, 10, 60, 0, 60})
        wide.OnSpeed(speed);
    EXPECT_EQ(Tones().size(), 2u);
}

TEST_F(SpeedAlarmTest, StaleSpeedShowsDashesAndARestingDimNeedleUntilTheNextValue) {
    SpeedoView& view = Loaded(AlarmSkin);
    view.OnSpeed(800);
    ASSERT_TRUE(view.IsAlarmOn());
    view.OnStale();
    EXPECT_TRUE(view.IsStale());
    EXPECT_EQ(view.DigitalText(), u" ---.- ");
    EXPECT_EQ(view.NeedleTip(), view.PointAt(0, view.NeedleLength()));
    auto frame = Drawn(view);
    // Dimmed halfway to the background: the needle lies at rest in pale red
    // (the red left is the scale's special marks), the digits in dark green.
    const platform::Point centre{view.AnalogSettings().x, view.AnalogSettings().y};
    const platform::Point tip = view.NeedleTip();
    const Rect rest{(centre.x + tip.x) / 2 - 5, (centre.y + tip.y) / 2 - 5,
                    (centre.x + tip.x) / 2 + 6, (centre.y + tip.y) / 2 + 6};
    const Color dimNeedle = Rgb(0xFF, 0x7F, 0x7F);
    EXPECT_GT(CountIn(*frame, rest, dimNeedle), 0);
    EXPECT_EQ(CountIn(*frame, rest, Red), 0);
    const int staleRed = CountIn(*frame, {0, 0, 240, 320}, Red);
    EXPECT_EQ(CountIn(*frame, DigitArea, Magenta), 0);
    EXPECT_GT(CountIn(*frame, DigitArea, Rgb(0, 0x7F, 0)), 0);

    // Back with the next value; the alarm held, so no second tone.
    view.OnSpeed(800);
    EXPECT_FALSE(view.IsStale());
    EXPECT_EQ(view.DigitalText(), u" 080.0 ");
    frame = Drawn(view);
    EXPECT_GT(CountIn(*frame, DigitArea, Magenta), 0);
    EXPECT_GT(CountIn(*frame, {0, 0, 240, 320}, Red), staleRed + 20) << "the live needle";
    EXPECT_EQ(Tones().size(), 1u);
}

// The receiver's stale notice reaches every overlay with an unknown text
// through its source, and the next sentence brings the values back.
TEST_F(SpeedAlarmTest, StaleNoticeReachesTheOverlaysThroughTheirSources) {
    GpsReceiver receiver(nullptr);
    auto speeds = SpeedSource::Create(0);
    AltitudeSource altitudes;
    PositionSource positions;
    receiver.AddSentenceListener(speeds.get());
    receiver.AddSentenceListener(&altitudes);
    receiver.AddSentenceListener(&positions);
    Compass compass(*m_screen, 100, 20);
    SatCount sats(*m_screen, 100, 20);
    Hdop hdop(*m_screen, 100, 20);
    AccelerationOverlay acceleration(*m_screen, 100, 20);
    UphillGrade grade(*m_screen, 100, 20);
    SpeedoView speedo(*m_screen, 240, 320);
    for (SentenceListener* l : std::initializer_list<SentenceListener*>{&compass, &sats, &hdop})
        receiver.AddSentenceListener(l);
    speeds->AddListener(&acceleration);
    speeds->AddListener(&speedo);
    altitudes.AddListener(&grade);
    positions.AddListener(&grade);

    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    const std::string gsv =
        "$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n";
    const std::string vtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n";
    auto feed = [&] {
        receiver.DispatchGGA(gga);
        receiver.DispatchGSV(gsv);
        receiver.DispatchVTG(vtg);
    };
    feed();
    platform::headless::AdvanceClock(1000);
    receiver.DispatchVTG("$GPVTG,054.7,T,034.4,M,005.5,N,014.2,K*4C\r\n");
    ASSERT_NE(compass.Value(), Compass::NoCourse);
    ASSERT_EQ(sats.Used(), 8);
    ASSERT_NE(hdop.CurrentHdop(), Hdop::NoHdop);
    ASSERT_TRUE(acceleration.Acceleration());

    receiver.DispatchStale();
    EXPECT_EQ(compass.Value(), Compass::NoCourse);
    EXPECT_EQ(sats.Used(), SatCount::Unknown);
    EXPECT_EQ(sats.InView(), SatCount::Unknown);
    EXPECT_EQ(hdop.CurrentHdop(), Hdop::NoHdop);
    EXPECT_FALSE(acceleration.Acceleration());
    EXPECT_TRUE(speedo.IsStale());

    feed();
    EXPECT_NE(compass.Value(), Compass::NoCourse);
    EXPECT_EQ(sats.Used(), 8);
    EXPECT_NE(hdop.CurrentHdop(), Hdop::NoHdop);
    EXPECT_FALSE(speedo.IsStale());
    EXPECT_EQ(speedo.Speed(), 102u);
}

} // namespace
