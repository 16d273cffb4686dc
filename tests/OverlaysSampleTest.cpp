// The sample device's overlay configurations for both panels, run headless:
// every overlay comes up without a complaint and draws where its skin says.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <span>

namespace fs = std::filesystem;

namespace {

using platform::Rgb;

const platform::Color Black = Rgb(0, 0, 0);
const platform::Color White = Rgb(0xFF, 0xFF, 0xFF);
const platform::Color Segment = Rgb(0x30, 0xB0, 0x30); // the skins' HighPower
const platform::Color CompassBlue = Rgb(0x00, 0x40, 0xA0);

struct Panel {
    const char* screen;
    const char16_t* configuration;
    int battery;            // left and top of the battery symbol
    int batteryWidth;       // with its terminal
    int batteryHeight;      // at 62 % the first segment is lit, the last one dark
    platform::Rect compass; // where the compass point is written
};

// Test names show the panel, not the bytes of the parameter.
void PrintTo(const Panel& panel, std::ostream* out) {
    *out << panel.screen;
}

class OverlaysSample : public ::testing::TestWithParam<Panel> {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");

    void SetUp() override {
        fs::create_directories(work / "power" / "BAT0");
        e2e::WriteFile((work / "power" / "BAT0" / "type").string(), "Battery\n");
        e2e::WriteFile((work / "power" / "BAT0" / "status").string(), "Discharging\n");
        e2e::WriteFile((work / "power" / "BAT0" / "capacity").string(), "62\n");
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
                   platform::testing::Utf16File(
                       u"[Settings]\r\nGPSIni = ..\\..\\GPS\\GPS.ini\r\nConfiguration = Konfig\\" +
                       std::u16string(GetParam().configuration) +
                       u"\r\nMenuIni = Menu\\Nacht.ini\r\nSaveOnExit = n\r\n"));
    }
    void TearDown() override { fs::remove_all(work); }

    std::optional<int> Run(const std::string& script) {
        e2e::WriteFile((work / "script.txt").string(), script);
        e2e::Program p{
            VELVANE_BIN,
            {},
            {{"CE_ROOT", device.Root().string()},
             {"CE_REGISTRY", (work / "registry").string()},
             {"CE_BACKEND", "headless"},
             {"CE_SCREEN", GetParam().screen},
             {"CE_POWER_SUPPLY", (work / "power").string()},
             {"CE_SCRIPT", (work / "script.txt").string()},
             {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
             {"CE_PORTS", "COM1=replay:" + (device.Root() / "GPS" / "drive.nmea").string()}}};
        return e2e::Run(p, std::chrono::seconds(60));
    }
};

TEST_P(OverlaysSample, EveryOverlayDrawsWhereItsSkinSays) {
    const Panel& panel = GetParam();
    const std::string shot = (work / "dash.png").string();
    ASSERT_EQ(Run("wait 40000\nsnapshot \"" + shot + "\"\n"), 0);
    const std::string transcript = e2e::ReadFile((work / "transcript.txt").string());
    EXPECT_EQ(transcript.find("messagebox"), std::string::npos) << transcript;

    const std::string png = e2e::ReadFile(shot);
    auto frame = platform::Bitmap::Decode(
        std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()));
    ASSERT_NE(frame, nullptr);
    // The battery: its outline, the first segment lit, the last one dark.
    const int b = panel.battery;
    const int body = panel.batteryWidth - std::max(2, panel.batteryWidth / 10);
    EXPECT_EQ(frame->GetPixel(b, b), Black);
    EXPECT_EQ(frame->GetPixel(b + body - 1, b + panel.batteryHeight - 1), Black);
    EXPECT_EQ(frame->GetPixel(b + 3, b + panel.batteryHeight / 2), Segment);
    EXPECT_EQ(frame->GetPixel(b + body - 4, b + panel.batteryHeight / 2), White);
    // The reception bars start right of it; the course is written in blue.
    int blue = 0;
    const platform::Rect c = panel.compass;
    for (int y = c.top; y < c.bottom; ++y)
        for (int x = c.left; x < c.right; ++x)
            blue += frame->GetPixel(x, y) == CompassBlue ? 1 : 0;
    EXPECT_GT(blue, 20) << "no compass point in its place";
    // The clock in the bottom right corner.
    int ink = 0;
    for (int y = frame->Height() - 40; y < frame->Height(); ++y)
        for (int x = frame->Width() - 120; x < frame->Width(); ++x)
            ink += frame->GetPixel(x, y) == Black ? 1 : 0;
    EXPECT_GT(ink, 30) << "no clock in the corner";
}

INSTANTIATE_TEST_SUITE_P(
    Panels, OverlaysSample,
    ::testing::Values(Panel{"480x272", u"Overlays.ini", 6, 38, 16, {312, 64, 380, 100}},
                      Panel{"800x480", u"Overlays800.ini", 10, 62, 26, {540, 104, 660, 164}}),
    [](const auto& info) { return std::string(info.param.screen).substr(0, 3); });

} // namespace
