// The third sample configuration with automatic night skins, run headless:
// a receiver that crosses from the day side of the earth to the night side
// turns the speedometer and the menu to their night look.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/testing/temp_device.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <span>

namespace fs = std::filesystem;

namespace {

using platform::Rgb;

std::string Sentence(const std::string& body) {
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// One epoch a second on the equator at this longitude, driving at 50 km/h.
std::string Epochs(double longitude, int first, int count) {
    std::string out;
    const char hemisphere = longitude < 0 ? 'W' : 'E';
    const double degrees = std::fabs(longitude);
    char position[64];
    std::snprintf(position, sizeof position, "0000.000,N,%03d%06.3f,%c", int(degrees),
                  (degrees - int(degrees)) * 60.0, hemisphere);
    for (int i = first; i < first + count; ++i) {
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.00", 12 + i / 3600, i / 60 % 60, i % 60);
        out += Sentence(std::string("GPRMC,") + time + ",A," + position + ",27.0,90.0,010126,,,A");
        out += Sentence(std::string("GPGGA,") + time + "," + position + ",1,08,1.0,10.0,M,0.0,M,,");
    }
    return out;
}

// Where on the equator the sun stands highest now (the equation of time
// moves it by at most four degrees, which still leaves it high).
double NoonLongitude() {
    using namespace std::chrono;
    const double hours =
        double(duration_cast<seconds>(system_clock::now().time_since_epoch()).count() % 86400) /
        3600.0;
    double longitude = (12.0 - hours) * 15.0;
    return longitude <= -180.0 ? longitude + 360.0 : longitude;
}

std::unique_ptr<platform::Bitmap> Shot(const std::string& path) {
    const std::string png = e2e::ReadFile(path);
    return platform::Bitmap::Decode(
        std::span(reinterpret_cast<const uint8_t*>(png.data()), png.size()));
}

} // namespace

TEST(DayNightSample, TheNightSideOfTheEarthBringsTheNightSkins) {
    platform::testing::TempDevice device;
    const fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");
    fs::create_directories(work);
    fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
               platform::testing::Utf16File(u"[Settings]\r\nGPSIni = ..\\..\\GPS\\GPS.ini\r\n"
                                            u"Configuration = Konfig\\Extras.ini\r\n"
                                            u"SaveOnExit = n\r\nSpeedProtocol = RMC\r\n"
                                            u"NightMenuIni = Menu\\Nacht.ini\r\n"
                                            u"DayNight = auto\r\n"));
    const double noon = NoonLongitude();
    const double midnight = noon > 0 ? noon - 180.0 : noon + 180.0;
    e2e::WriteFile((work / "drive.nmea").string(), Epochs(noon, 0, 20) + Epochs(midnight, 20, 40));
    const std::string day = (work / "day.png").string(), night = (work / "night.png").string();
    const std::string dayMenu = (work / "day-menu.png").string();
    const std::string nightMenu = (work / "night-menu.png").string();
    e2e::WriteFile((work / "script.txt").string(),
                   "wait 15000\nsnapshot \"" + day + "\"\nkey 32\nsnapshot \"" + dayMenu +
                       "\"\nkey 27\nwait 15000\nsnapshot \"" + night + "\"\nkey 32\nsnapshot \"" +
                       nightMenu + "\"\n");
    e2e::Program p{VELVANE_BIN,
                   {},
                   {{"CE_ROOT", device.Root().string()},
                    {"CE_REGISTRY", (work / "registry").string()},
                    {"CE_BACKEND", "headless"},
                    {"CE_SCREEN", "480x272"},
                    {"CE_SCRIPT", (work / "script.txt").string()},
                    {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
                    {"CE_PORTS", "COM1=replay:" + (work / "drive.nmea").string()}}};
    ASSERT_EQ(e2e::Run(p, std::chrono::seconds(60)), 0);
    const std::string transcript = e2e::ReadFile((work / "transcript.txt").string());
    EXPECT_EQ(transcript.find("messagebox"), std::string::npos) << transcript;

    // The corner shows the skin's background: white by day, dark blue at
    // night; the menu's second box is grey in the built-in style by day and
    // light blue in the night style.
    auto dayFrame = Shot(day), nightFrame = Shot(night);
    auto dayMenuFrame = Shot(dayMenu), nightMenuFrame = Shot(nightMenu);
    ASSERT_TRUE(dayFrame && nightFrame && dayMenuFrame && nightMenuFrame);
    EXPECT_EQ(dayFrame->GetPixel(2, 2), Rgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(nightFrame->GetPixel(2, 2), Rgb(0x10, 0x18, 0x28));
    EXPECT_EQ(dayMenuFrame->GetPixel(104, 20), Rgb(0xC4, 0xC4, 0xC4));
    EXPECT_EQ(nightMenuFrame->GetPixel(104, 20), Rgb(0xDD, 0xE6, 0xF0));
    fs::remove_all(work);
}
