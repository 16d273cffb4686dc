// The route map and the destination arrow in the real program, on a drive
// south of the equator and west of the prime meridian, chosen and worked
// through the menu and the map's own buttons by taps.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/testing/temp_device.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

namespace {

using platform::Color;
using platform::Rgb;

constexpr Color Track = Rgb(0xC0, 0x00, 0x00);
constexpr Color Standpoint = Rgb(0x00, 0x00, 0xFF);
constexpr Color PoiMark = Rgb(0xE0, 0x80, 0x00);
constexpr Color ArrowFill = Rgb(0x30, 0xA0, 0x40);

// Latitude and longitude in 1/10000 arc minute.
constexpr int StartLatitude = -(33 * 600000 + 27 * 10000);
constexpr int Longitude = -(70 * 600000 + 39 * 10000);
// 15 m/s due north: 1500 cm at 11132/600 cm a unit.
constexpr double UnitsPerSecond = 1500.0 * 600.0 / 11132.0;

std::string WithChecksum(const std::string& body) {
    unsigned sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

// "ddmm.mmmm" or "dddmm.mmmm" of a magnitude in units.
std::string Field(int units, int degreeDigits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*d%02d.%04d", degreeDigits, units / 600000,
                  units % 600000 / 10000, units % 10000);
    return text;
}

// Two minutes due north at 15 m/s, one GGA and RMC a second.
std::string SouthWesternDrive(int seconds) {
    std::string log;
    for (int t = 0; t < seconds; ++t) {
        const int lat = StartLatitude + int(std::lround(t * UnitsPerSecond));
        const std::string where =
            Field(-lat, 2) + "," + (lat < 0 ? "S" : "N") + "," + Field(-Longitude, 3) + ",W";
        char time[16];
        std::snprintf(time, sizeof time, "12%02d%02d.00", t / 60, t % 60);
        log +=
            WithChecksum(std::string("GPGGA,") + time + "," + where + ",1,08,0.9,540.0,M,25.0,M,,");
        log += WithChecksum(std::string("GPRMC,") + time + ",A," + where + ",29.16,0.0,150325,,,A");
    }
    return log;
}

struct Extent {
    int count = 0;
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    double cx = 0, cy = 0;
};

Extent Find(const platform::Canvas& c, Color color, platform::Rect area) {
    Extent e;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (c.GetPixel(x, y) == color) {
                ++e.count;
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
                e.cx += x;
                e.cy += y;
            }
    if (e.count) {
        e.cx /= e.count;
        e.cy /= e.count;
    }
    return e;
}

int RunVelvane(const fs::path& root, const fs::path& work, const std::string& script) {
    e2e::WriteFile((work / "script.txt").string(), script);
    e2e::Program p{VELVANE_BIN,
                   {},
                   {{"CE_ROOT", root.string()},
                    {"CE_REGISTRY", (work / "registry").string()},
                    {"CE_BACKEND", "headless"},
                    {"CE_SCREEN", "480x272"},
                    {"CE_SCRIPT", (work / "script.txt").string()},
                    {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
                    {"CE_PORTS", "COM1=replay:" + (work / "drive.nmea").string()}}};
    return e2e::Run(p, std::chrono::seconds(60)).value_or(-1);
}

std::string Utf16(const std::u16string& text) {
    return platform::testing::Utf16File(text);
}

} // namespace

TEST(Route, ASouthWesternDriveOnTheMapAndTheArrowTowardsItsDestination) {
    platform::testing::TempDevice device;
    const fs::path work = device.Root() / "work";
    fs::create_directories(work);
    fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    e2e::WriteFile((work / "drive.nmea").string(), SouthWesternDrive(120));
    // The sample's map and arrow skins, moved to the drive: a POI 150 m east
    // of the road after 36 s, the destination 50 km due east.
    const std::u16string karte = u"Program Files\\Velvane\\Skins\\Karte\\";
    device.Put(u"\\" + karte + u"Karte.ini",
               Utf16(u"[Background]\r\nColor = F4F0E6\r\n\r\n[Metrics]\r\nMapSize = 600\r\n"
                     u"RouteWidth = 3\r\nStandpointSize = 14\r\nStandpointPenWidth = 3\r\n"
                     u"\r\n[Colors]\r\nStandpoint = 0000FF\r\n\r\n"
                     u"[Controls]\r\nxControls = -6\r\nyControls = 6\r\n\r\n"
                     u"[POI]\r\nLatitude = S 33° 26.7089\r\nLongitude = W 070° 38.9031\r\n"
                     u"Color = E08000\r\nText = Kiosk\r\n"));
    device.Put(u"\\" + karte + u"Ziel.ini",
               Utf16(u"[Metrics]\r\nxArrow = 52\r\nyArrow = -52\r\nArrowSize = 36\r\n"
                     u"ArrowStyle = 1\r\nxDist = 100\r\nyDist = 214\r\nDistFontSize = 34\r\n\r\n"
                     u"[Colors]\r\nArrow = 30A040\r\n\r\n"
                     u"[Coordinates]\r\nLatitude = S 33° 26.0000\r\n"
                     u"Longitude = W 070° 06.7000\r\n"));
    fs::create_directories(device.Root() / "shots");
    auto shot = [&](const char* name) {
        return "snapshot \"" + (device.Root() / "shots" / name).string() + "\"\n";
    };
    // The panel stands at (480 - 6 - 43, 6): zoom out's middle is 31 pixels
    // right and down of that, AutoMove's at (31, 141).
    const std::string script = "wait 1500\n"
                               // Anzeige > Route
                               "tap 144 20\ntap 144 20\ntap 50 92\n"
                               "wait 40000\n" +
                               shot("map.png") + "tap 462 37\nwait 500\n" + shot("zoomed.png") +
                               "tap 462 147\nwait 30000\n" + shot("free.png") +
                               // Space: back to the standpoint.
                               "key 32\nwait 200\n" + shot("centred.png") +
                               // Overlays > GeoCache > Skins > Ziel
                               "tap 335 20\ntap 335 20\ntap 415 62\ntap 240 104\ntap 358 146\n"
                               "wait 3000\n" +
                               shot("arrow.png");
    ASSERT_EQ(RunVelvane(device.Root(), work, script), 0);
    const std::string transcript = e2e::ReadFile((work / "transcript.txt").string());
    EXPECT_EQ(transcript.find("messagebox"), std::string::npos) << transcript;

    auto load = [](const char* name) {
        auto b = platform::Bitmap::Load(u"\\shots\\" + std::u16string(name, name + strlen(name)));
        EXPECT_TRUE(b) << name;
        return b;
    };
    const platform::Rect map{0, 0, 420, 272}; // left of the panel
    auto a = load("map.png");
    ASSERT_TRUE(a);
    const Extent track = Find(*a, Track, map);
    const Extent here = Find(*a, Standpoint, map);
    ASSERT_GT(track.count, 50);
    ASSERT_GT(here.count, 10);
    // Due north far from the prime meridian: a straight vertical line, the
    // older part below the standpoint, not bent and not mirrored.
    EXPECT_LE(track.right - track.left, 4);
    EXPECT_GT(track.cy, here.cy);
    EXPECT_NEAR(track.cx, here.cx, 2.0);
    // The kiosk's mark, right of the road.
    const Extent kiosk = Find(*a, PoiMark, map);
    ASSERT_GT(kiosk.count, 10);
    EXPECT_GT(kiosk.cx, here.cx + 20);

    // Zoom out by a tap: the kiosk's circle (half size 16) comes closer to
    // the road by a quarter more of map in the same pixels.
    auto b = load("zoomed.png");
    ASSERT_TRUE(b);
    const Extent road = Find(*b, Standpoint, map);
    const Extent nearer = Find(*b, PoiMark, map);
    ASSERT_GT(nearer.count, 10);
    EXPECT_NEAR(nearer.left + 16 - road.cx, (kiosk.left + 16 - here.cx) * 0.8, 3.0);

    // AutoMove off by a tap: the standpoint runs off upwards; space brings
    // it back to the middle.
    auto c = load("free.png");
    ASSERT_TRUE(c);
    const Extent gone = Find(*c, Standpoint, map);
    EXPECT_TRUE(gone.count == 0 || gone.cy < 136 - 60) << gone.cy;
    auto d = load("centred.png");
    ASSERT_TRUE(d);
    const Extent back = Find(*d, Standpoint, map);
    ASSERT_GT(back.count, 10);
    EXPECT_NEAR(back.cx, 240, 2.0);
    EXPECT_NEAR(back.cy, 136, 2.0);

    // The destination lies due east of a drive due north: the arrow at
    // (52, 220) points right, its tip on the right, its broad tail left.
    auto e = load("arrow.png");
    ASSERT_TRUE(e);
    const Extent arrow = Find(*e, ArrowFill, {0, 150, 120, 272});
    ASSERT_GT(arrow.count, 200);
    EXPECT_GT(arrow.right - arrow.left, arrow.bottom - arrow.top);
    const Extent tip = Find(*e, ArrowFill, {52 + 28, 150, 52 + 32, 272});
    const Extent tail = Find(*e, ArrowFill, {52 - 32, 150, 52 - 28, 272});
    EXPECT_GT(tail.bottom - tail.top, tip.bottom - tip.top + 10);
    if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR"))
        for (const char* name : {"map.png", "zoomed.png", "free.png", "centred.png", "arrow.png"})
            fs::copy_file(device.Root() / "shots" / name,
                          fs::path(dir) / (std::string("e2e-") + name),
                          fs::copy_options::overwrite_existing);
}
