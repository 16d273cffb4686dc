// The sample's extras configuration run headless on a drive that speeds,
// falls silent for a while and comes back slower: one tone for the crossing,
// blinking alarm digits, a stale display during the silence, and the live
// display again afterwards.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/testing/temp_device.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <span>

namespace fs = std::filesystem;

namespace {

using platform::Color;
using platform::Rect;
using platform::Rgb;

// Colours of the alarm skin: black digits on light grey, the alarm in red,
// and the digits dimmed halfway to their background while stale.
const Color Digits = Rgb(0, 0, 0);
const Color AlarmRed = Rgb(0xE0, 0, 0);
const Color StaleGrey = Rgb(0x74, 0x74, 0x74);
const Color CompassBlue = Rgb(0x00, 0x40, 0xA0);
// The digits and the compass point on a 480x272 screen.
constexpr Rect DigitArea{300, 115, 476, 186};
constexpr Rect CompassArea{312, 64, 380, 100};

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// One epoch a second at kmh, with a fix, eight satellites and course 55°.
std::string Epoch(int second, double kmh) {
    char time[16], rmc[128], vtg[96];
    std::snprintf(time, sizeof time, "1200%02d.00", second);
    std::snprintf(rmc, sizeof rmc, "GPRMC,%s,A,4807.038,N,01131.000,E,%.1f,054.7,091226,,,A", time,
                  kmh / 1.852);
    std::snprintf(vtg, sizeof vtg, "GPVTG,054.7,T,,M,%.1f,N,%.1f,K,A", kmh / 1.852, kmh);
    return WithChecksum(rmc) +
           WithChecksum(std::string("GPGGA,") + time +
                        ",4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
           WithChecksum("GPGSV,1,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45") +
           WithChecksum(vtg);
}

int CountIn(const platform::Canvas& c, Rect r, Color color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

class AlarmStale : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");

    void SetUp() override {
        fs::create_directories(work);
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
                   platform::testing::Utf16File(
                       u"[Settings]\r\nGPSIni = ..\\..\\GPS\\GPS.ini\r\n"
                       u"Configuration = Konfig\\Extras.ini\r\nMenuIni = Menu\\Nacht.ini\r\n"
                       u"SaveOnExit = n\r\nSpeedProtocol = RMC\r\nStaleAfter = 5\r\n"));
        // 80 km/h for ten seconds, fifteen seconds of silence, then 30 km/h.
        std::string log;
        for (int s = 0; s < 10; ++s)
            log += Epoch(s, 80);
        // The replay plays one epoch a second whatever the times say: the
        // silence is epochs of a time alone, which carry no speed.
        for (int s = 10; s < 25; ++s) {
            char zda[48];
            std::snprintf(zda, sizeof zda, "GPZDA,1200%02d.00,09,12,2026,00,00", s);
            log += WithChecksum(zda);
        }
        for (int s = 25; s < 40; ++s)
            log += Epoch(s, 30);
        e2e::WriteFile((work / "gap.nmea").string(), log);
    }
    void TearDown() override { fs::remove_all(work); }

    std::optional<int> Run(const std::string& script) {
        e2e::WriteFile((work / "script.txt").string(), script);
        e2e::Program p{VELVANE_BIN,
                       {},
                       {{"CE_ROOT", device.Root().string()},
                        {"CE_REGISTRY", (work / "registry").string()},
                        {"CE_BACKEND", "headless"},
                        {"CE_SCREEN", "480x272"},
                        {"CE_SCRIPT", (work / "script.txt").string()},
                        {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
                        {"CE_PORTS", "COM1=replay:" + (work / "gap.nmea").string()}}};
        return e2e::Run(p, std::chrono::seconds(60));
    }
    std::unique_ptr<platform::Canvas> Shot(const char* name) {
        const std::string png = e2e::ReadFile((work / name).string());
        return platform::Bitmap::Decode(
            std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()));
    }
};

TEST_F(AlarmStale, OneToneBlinkingDigitsAndAStaleDisplayDuringTheSilence) {
    auto shot = [&](const char* name) { return "snapshot \"" + (work / name).string() + "\"\n"; };
    ASSERT_EQ(Run("wait 5000\n" + shot("fast1.png") + "wait 500\n" + shot("fast2.png") +
                  "wait 12000\n" + shot("stale.png") + "wait 12000\n" + shot("back.png")),
              0);
    const std::string transcript = e2e::ReadFile((work / "transcript.txt").string());
    EXPECT_EQ(transcript.find("messagebox"), std::string::npos) << transcript;
    size_t tones = 0;
    for (size_t at = transcript.find("tone 880 200"); at != std::string::npos;
         at = transcript.find("tone 880 200", at + 1))
        ++tones;
    EXPECT_EQ(tones, 1u) << transcript;

    auto fast1 = Shot("fast1.png"), fast2 = Shot("fast2.png");
    auto stale = Shot("stale.png"), back = Shot("back.png");
    ASSERT_TRUE(fast1 && fast2 && stale && back);
    // Above the limit the red digits blink: lit in one snapshot, dark in
    // the other, and never in their own black.
    const int red1 = CountIn(*fast1, DigitArea, AlarmRed);
    const int red2 = CountIn(*fast2, DigitArea, AlarmRed);
    EXPECT_TRUE((red1 > 50) != (red2 > 50)) << red1 << " and " << red2;
    EXPECT_EQ(CountIn(*fast1, DigitArea, Digits) + CountIn(*fast2, DigitArea, Digits), 0);

    // Silent: grey dashes, no digits in any live colour, the compass
    // unknown ("?" takes less ink than a point name).
    EXPECT_GT(CountIn(*stale, DigitArea, StaleGrey), 50);
    EXPECT_EQ(CountIn(*stale, DigitArea, Digits), 0);
    EXPECT_EQ(CountIn(*stale, DigitArea, AlarmRed), 0);
    const int liveCompass = CountIn(*fast1, CompassArea, CompassBlue);
    const int staleCompass = CountIn(*stale, CompassArea, CompassBlue);
    EXPECT_LT(staleCompass, liveCompass);

    // Back at 30 km/h: black digits, no alarm, the compass point again.
    EXPECT_GT(CountIn(*back, DigitArea, Digits), 50);
    // (Smoothed edges of black on grey may hit the stale grey here and there.)
    EXPECT_LT(CountIn(*back, DigitArea, StaleGrey), 20);
    EXPECT_EQ(CountIn(*back, DigitArea, AlarmRed), 0);
    EXPECT_EQ(CountIn(*back, CompassArea, CompassBlue), liveCompass);
}

} // namespace
