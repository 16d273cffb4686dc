// The real program with "Units" in its main settings: the speedometer of the
// sample device at a steady 100 km/h, in km/h and in mph.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/testing/temp_device.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const platform::Color Needle = platform::Rgb(0xD0, 0x00, 0x00); // Skins\Tacho\Tag.ini
const platform::Color Ink = platform::Rgb(0x00, 0x00, 0x00);
const platform::Point Centre{160, 150};
// Where Tag.ini puts the unit text on 480x272: XUnit 140, 90 px above the
// bottom, 18 px high.
const platform::Rect UnitBox{140, 272 - 90 - 18, 240, 272 - 90};

std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// A minute standing still on one spot at 100.0 km/h.
std::string SteadyDrive() {
    std::string nmea;
    for (int s = 0; s < 60; ++s) {
        char time[16];
        std::snprintf(time, sizeof time, "1200%02d.00", s);
        nmea += Sentence(std::string("GPRMC,") + time +
                         ",A,5418.3948,N,00939.7872,E,54.00,90.00,090126,,,A");
        nmea += Sentence("GPVTG,90.00,T,,M,54.00,N,100.0,K,A");
        nmea += Sentence(std::string("GPGGA,") + time +
                         ",5418.3948,N,00939.7872,E,1,08,1.0,304.8,M,40.1,M,,");
    }
    return nmea;
}

class Units : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");

    void SetUp() override {
        fs::create_directories(work);
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        e2e::WriteFile((work / "steady.nmea").string(), SteadyDrive());
    }
    void TearDown() override { fs::remove_all(work); }

    // The dashboard after ten seconds of the drive, as a picture; null when
    // the run failed.
    std::unique_ptr<platform::Bitmap> Dashboard(const std::u16string& unitsLine,
                                                const std::string& name) {
        device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
                   platform::testing::Utf16File(
                       u"[Settings]\r\nGPSIni = ..\\..\\GPS\\GPS.ini\r\n"
                       u"Configuration = Konfig\\Standard.ini\r\nSaveOnExit = n\r\n" +
                       unitsLine));
        const std::string shot = (work / name).string();
        e2e::WriteFile((work / "script.txt").string(), "wait 10000\nsnapshot \"" + shot + "\"\n");
        e2e::Program p{VELVANE_BIN,
                       {},
                       {{"CE_ROOT", device.Root().string()},
                        {"CE_REGISTRY", (work / "registry").string()},
                        {"CE_BACKEND", "headless"},
                        {"CE_SCREEN", "480x272"},
                        {"CE_SCRIPT", (work / "script.txt").string()},
                        {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
                        {"CE_PORTS", "COM1=replay:" + (work / "steady.nmea").string()}}};
        if (e2e::Run(p, std::chrono::seconds(60)) != 0)
            return nullptr;
        const std::string transcript = e2e::ReadFile((work / "transcript.txt").string());
        EXPECT_EQ(transcript.find("messagebox"), std::string::npos) << transcript;
        if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR"))
            fs::copy_file(shot, fs::path(dir) / name, fs::copy_options::overwrite_existing);
        const std::string bytes = e2e::ReadFile(shot);
        return platform::Bitmap::Decode(
            {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    }
};

// Mathematical angle, in degrees, of the needle pixel farthest from the centre.
double NeedleAngle(const platform::Canvas& c) {
    long best = -1;
    double angle = 0;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.GetPixel(x, y) == Needle) {
                const long dx = x - Centre.x, dy = y - Centre.y;
                if (dx * dx + dy * dy > best) {
                    best = dx * dx + dy * dy;
                    angle = std::atan2(double(-dy), double(dx)) * 180 / M_PI;
                }
            }
    return angle;
}

int InkIn(const platform::Canvas& c, platform::Rect r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += c.GetPixel(x, y) == Ink ? 1 : 0;
    return n;
}

} // namespace

TEST_F(Units, ImperialMovesTheNeedleAndChangesTheUnitText) {
    auto metric = Dashboard(u"", "units-metric.png");
    auto imperial = Dashboard(u"Units = imperial\r\n", "units-imperial.png");
    ASSERT_TRUE(metric && imperial);
    // The dial starts at 225° and spans 270° for 0..200: 100 km/h points
    // straight up, 62.1 mph on the same numbers at 225 - 83 = 142°.
    EXPECT_NEAR(NeedleAngle(*metric), 90, 3);
    EXPECT_NEAR(NeedleAngle(*imperial), 142, 3);
    const int kmh = InkIn(*metric, UnitBox), mph = InkIn(*imperial, UnitBox);
    EXPECT_GT(kmh, 20);
    EXPECT_GT(mph, 20);
    EXPECT_NE(kmh, mph);
}
