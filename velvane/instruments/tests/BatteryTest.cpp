// The battery symbol fed from a made-up folder of power supplies.
#include "instruments/Battery.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>

using namespace velvane;
using platform::Rgb;
using platform::testing::TempDevice;
using platform::testing::Utf16File;
namespace fs = std::filesystem;

namespace {

using namespace platform::testing::colors;

const platform::Color Green = Rgb(0x00, 0xC0, 0x00);
const platform::Color Red = Rgb(0xFF, 0x00, 0x00);
const platform::Color Bolt = Rgb(0xFF, 0xC0, 0x00);

class BatteryTest : public ::testing::Test {
protected:
    BatteryTest()
        : m_supplies(m_device.Root().parent_path() /
                     (m_device.Root().filename().string() + ".power")) {
        platform::HostSettings host = platform::Host();
        host.powerSupply = m_supplies;
        platform::Initialize(host);
        m_device.Put(u"\\b.ini", Utf16File(u"[Metrics]\r\nX = 10\r\nY = 10\r\nWidth = 50\r\n"
                                           u"Height = 20\r\nAnzSegments = 5\r\n"));
    }
    ~BatteryTest() override { fs::remove_all(m_supplies); }

    void Supply(const std::string& name, const std::map<std::string, std::string>& attributes) {
        fs::create_directories(m_supplies / name);
        for (const auto& [key, value] : attributes)
            std::ofstream(m_supplies / name / key) << value << "\n";
    }

    TempDevice m_device;
    fs::path m_supplies;
    Screen m_screen{nullptr, 240, 320};
};

TEST_F(BatteryTest, DischargingBatteryShowsItsSegments) {
    Supply("AC", {{"type", "Mains"}, {"online", "0"}});
    Supply("BAT0", {{"type", "Battery"},
                    {"present", "1"},
                    {"status", "Discharging"},
                    {"energy_now", "30000000"},
                    {"energy_full", "50000000"}});
    Battery battery(m_screen, 240, 320);
    ASSERT_TRUE(battery.Load(u"\\b.ini"));
    ASSERT_TRUE(battery.HasStatus());
    EXPECT_EQ(battery.Status().batteryLifePercent, 60);
    EXPECT_EQ(battery.SegmentsLit(), 3);
    EXPECT_FALSE(battery.ShowsLightning());
    EXPECT_EQ(battery.SegmentColor(), Green);

    // Body 10..54 x 10..29 with the terminal beyond; segments 2 pixels in,
    // 8 pixels each: the third lit, the fourth not.
    auto c = platform::Canvas::Create(240, 320);
    battery.Draw(*c, 0, 0);
    EXPECT_EQ(c->GetPixel(10, 10), Black);
    EXPECT_EQ(c->GetPixel(54, 29), Black);
    EXPECT_EQ(c->GetPixel(57, 20), Black) << "terminal";
    EXPECT_EQ(c->GetPixel(13, 20), Green) << "first segment";
    EXPECT_EQ(c->GetPixel(33, 20), Green) << "third segment";
    EXPECT_EQ(c->GetPixel(40, 20), White) << "fourth segment is dark";
    EXPECT_TRUE(platform::testing::MessageBoxes().empty());
}

TEST_F(BatteryTest, ChargingAndCriticalShowBoltAndColour) {
    Supply("ADP1", {{"type", "Mains"}, {"online", "1"}});
    Supply("BAT0", {{"type", "Battery"}, {"status", "Charging"}, {"capacity", "4"}});
    // A mouse's battery is not the device's.
    Supply("hid-mouse", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "100"}});
    Battery battery(m_screen, 240, 320);
    ASSERT_TRUE(battery.Load(u"\\b.ini"));
    EXPECT_EQ(battery.Status().batteryLifePercent, 4);
    EXPECT_TRUE(battery.Status().batteryFlag & platform::BatteryFlag::Charging);
    EXPECT_TRUE(battery.Status().batteryFlag & platform::BatteryFlag::Critical);
    EXPECT_EQ(battery.SegmentsLit(), 1);
    EXPECT_EQ(battery.SegmentColor(), Red);
    EXPECT_TRUE(battery.ShowsLightning());
    auto c = platform::Canvas::Create(240, 320);
    battery.Draw(*c, 0, 0);
    EXPECT_EQ(c->GetPixel(13, 25), Red) << "the one segment, below the bolt";
    // The bolt crosses the middle of the body.
    int boltPixels = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 55; ++x)
            boltPixels += c->GetPixel(x, y) == Bolt ? 1 : 0;
    EXPECT_GT(boltPixels, 40);
}

TEST_F(BatteryTest, MainsOnlyAndNoSuppliesAtAll) {
    Supply("AC", {{"type", "Mains"}, {"online", "1"}});
    Battery mains(m_screen, 240, 320);
    ASSERT_TRUE(mains.Load(u"\\b.ini"));
    EXPECT_EQ(mains.Status().batteryFlag, platform::BatteryFlag::NoBattery);
    EXPECT_EQ(mains.SegmentsLit(), 0);
    EXPECT_TRUE(mains.ShowsLightning());
    EXPECT_TRUE(platform::testing::MessageBoxes().empty());

    // No folder: the message, once per overlay, and an empty outline.
    fs::remove_all(m_supplies);
    platform::TranscriptClear();
    Battery none(m_screen, 240, 320);
    EXPECT_TRUE(none.Load(u"\\b.ini")) << "the settings themselves are fine";
    EXPECT_TRUE(none.Load(u"\\b.ini"));
    const auto boxes = platform::testing::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("LoadLibrary - \\\"coredll.dll\\\""), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("caption=\"Fehler\""), std::string::npos) << boxes[0];
    EXPECT_FALSE(none.HasStatus());
    EXPECT_FALSE(none.ShowsLightning());
    auto c = platform::Canvas::Create(240, 320);
    none.Draw(*c, 0, 0);
    EXPECT_EQ(c->GetPixel(10, 10), Black);
    EXPECT_EQ(c->GetPixel(13, 20), White);
}

TEST_F(BatteryTest, ReadsAgainWhenDueAndRedrawsOnChange) {
    Supply("BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "90"}});
    Battery battery(m_screen, 240, 320);
    ASSERT_TRUE(battery.Load(u"\\b.ini"));
    EXPECT_EQ(battery.SegmentsLit(), 5);
    auto settle = platform::Canvas::Create(1, 1);
    m_screen.Draw(*settle, 0, 0);

    Supply("BAT0", {{"capacity", "20"}});
    battery.OnGGA("$GPGGA*00\r\n");
    EXPECT_EQ(battery.SegmentsLit(), 5) << "not due yet";
    platform::headless::AdvanceClock(Battery::RefreshInterval);
    battery.OnGGA("$GPGGA*00\r\n");
    EXPECT_EQ(battery.SegmentsLit(), 1);
    EXPECT_EQ(battery.SegmentColor(), Rgb(0xFF, 0x80, 0x00)) << "low";
    EXPECT_TRUE(m_screen.RedrawPending());
}

TEST_F(BatteryTest, SettingsKeys) {
    Battery battery(m_screen, 240, 320);
    m_device.Put(u"\\k.ini",
                 Utf16File(u"[Metrics]\r\nx = -5\r\nY = -5\r\nWidth = 30\r\nHeight = 12\r\n"
                           u"AnzSegments = 3\r\n[Colors]\r\nBattery = 0000FF\r\n"
                           u"Lightning = 00FFFF\r\nHighPower = 00FF00\r\nLowPower = "
                           u"FFFF00\r\nCriticalPower = FF00FF\r\n"));
    ASSERT_TRUE(battery.Load(u"\\k.ini"));
    const Battery::Settings& s = battery.GetSettings();
    EXPECT_EQ(s.segments, 3);
    EXPECT_EQ(s.battery, Rgb(0, 0, 0xFF));
    EXPECT_EQ(s.lightning, Rgb(0, 0xFF, 0xFF));
    EXPECT_EQ(s.highPower, Rgb(0, 0xFF, 0));
    EXPECT_EQ(s.lowPower, Rgb(0xFF, 0xFF, 0));
    EXPECT_EQ(s.criticalPower, Rgb(0xFF, 0, 0xFF));
    const platform::Rect body = battery.Body();
    EXPECT_EQ(body.left, 240 - 5 - 30);
    EXPECT_EQ(body.bottom, 320 - 5);

    platform::TranscriptClear();
    m_device.Put(u"\\bad.ini", Utf16File(u"[Metrics]\r\nAnzSegments = 0\r\n"));
    battery.Load(u"\\bad.ini");
    EXPECT_EQ(battery.GetSettings().segments, 4) << "refused, the default stays";
    EXPECT_GE(platform::testing::MessageBoxes().size(), 1u);
}

} // namespace
