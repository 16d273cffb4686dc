#include "instruments/GeoCacheOverlay.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace velvane;
using platform::Canvas;
using platform::Color;
using platform::Point;
using platform::Rgb;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

using namespace platform::testing::colors;

constexpr double Pi = 3.14159265358979323846;
constexpr int32_t Degree = 600000;

GeoPosition Deg(double latitude, double longitude) {
    return GeoPosition(int32_t(std::lround(latitude * Degree)),
                       int32_t(std::lround(longitude * Degree)));
}

// Degrees to the text forms the settings file uses.
std::u16string LatitudeText(int32_t units) {
    char text[32];
    const int32_t a = std::abs(units);
    std::snprintf(text, sizeof text, "%c %02d\xB0 %02d.%04d", units < 0 ? 'S' : 'N', a / Degree,
                  a % Degree / 10000, a % 10000);
    std::u16string out;
    for (const char* c = text; *c; ++c)
        out += char16_t(static_cast<unsigned char>(*c));
    return out;
}

std::u16string LongitudeText(int32_t units) {
    char text[32];
    const int32_t a = std::abs(units);
    std::snprintf(text, sizeof text, "%c %03d\xB0 %02d.%04d", units < 0 ? 'W' : 'E', a / Degree,
                  a % Degree / 10000, a % 10000);
    std::u16string out;
    for (const char* c = text; *c; ++c)
        out += char16_t(static_cast<unsigned char>(*c));
    return out;
}

// Great-circle distance on a sphere of 111.32 km a degree, in metres.
double Haversine(const GeoPosition& a, const GeoPosition& b) {
    const double r = 111320.0 * 180.0 / Pi;
    const double la = a.Latitude() / double(Degree) * Pi / 180;
    const double lb = b.Latitude() / double(Degree) * Pi / 180;
    const double dl = (b.Longitude() - a.Longitude()) / double(Degree) * Pi / 180;
    const double h = std::pow(std::sin((lb - la) / 2), 2) +
                     std::cos(la) * std::cos(lb) * std::pow(std::sin(dl / 2), 2);
    return 2 * r * std::asin(std::sqrt(h));
}

// Compass-free direction on the screen of the arrow's tip, counter-clockwise
// from "right", in degrees within (-180, 180].
double TipAngle(const GeoCacheOverlay& overlay, int tip) {
    const Point p = overlay.ArrowPoint(tip);
    const auto& s = overlay.GetSettings();
    return std::atan2(-(p.y - s.yArrow), p.x - s.xArrow) * 180 / Pi;
}

// a - b folded into (-π, π].
double AngleBetween(double a, double b) {
    return std::remainder(a - b, 2 * Pi);
}

double Wrap(double degrees) {
    while (degrees > 180)
        degrees -= 360;
    while (degrees <= -180)
        degrees += 360;
    return degrees;
}

class GeoCacheOverlayTest : public ::testing::Test {
protected:
    std::unique_ptr<GeoCacheOverlay> Loaded(const std::u16string& text, int w = 240, int h = 320) {
        m_device.Put(u"\\Skins\\geo.ini", Utf16File(text));
        auto overlay = std::make_unique<GeoCacheOverlay>(m_screen, w, h);
        EXPECT_TRUE(overlay->Load(u"\\Skins\\geo.ini"));
        return overlay;
    }
    std::unique_ptr<GeoCacheOverlay> Towards(const GeoPosition& destination,
                                             const std::u16string& more = {}) {
        return Loaded(u"[Coordinates]\r\nLatitude = " + LatitudeText(destination.Latitude()) +
                      u"\r\nLongitude = " + LongitudeText(destination.Longitude()) + u"\r\n" +
                      more);
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
};

TEST_F(GeoCacheOverlayTest, DefaultsAndSettings) {
    GeoCacheOverlay plain(m_screen, 240, 320);
    const auto& d = plain.GetSettings();
    EXPECT_EQ(Point(d.xDist, d.yDist), Point(120, 160 + 74));
    EXPECT_EQ(Point(d.xArrow, d.yArrow), Point(120, 160));
    EXPECT_EQ(plain.ArrowPointCount(), 7);
    // Unrotated: the tip straight up, 64 pixels above the centre.
    EXPECT_EQ(plain.ArrowPoint(4), Point(120, 96));
    EXPECT_EQ(plain.ArrowPoint(0), Point(120 - 21, 160 + 64));

    auto overlay = Loaded(u"[Metrics]\r\nxArrow = -50\r\nyArrow = -60\r\nArrowSize = 40\r\n"
                          u"ArrowStyle = 3\r\nShowCoordinates = yes\r\n\r\n"
                          u"[Colors]\r\nArrow = 00FF00\r\nArrowBorder = FF0000\r\n\r\n"
                          u"[Coordinates]\r\nLatitude = S 33° 26.9000\r\n"
                          u"Longitude = W 070° 39.0000\r\nMinimumMove = 1000\r\n");
    const auto& s = overlay->GetSettings();
    EXPECT_EQ(Point(s.xArrow, s.yArrow), Point(190, 260));
    EXPECT_EQ(s.arrow, Green);
    EXPECT_EQ(s.arrowBorderColor, Red);
    EXPECT_EQ(s.minimumMove, 1000);
    EXPECT_TRUE(s.showCoordinates);
    EXPECT_EQ(overlay->ArrowPointCount(), 3);
    EXPECT_EQ(overlay->ArrowPoint(2), Point(190, 260 - 40));
    EXPECT_EQ(overlay->Destination().Latitude(), -(33 * Degree + 269000));
    EXPECT_EQ(overlay->DestinationText(), u"S 33° 26.9000' / W 70° 39.0000'");
    EXPECT_TRUE(overlay->CurrentText().empty());
    EXPECT_TRUE(overlay->DistanceText().empty());

    platform::TranscriptClear();
    auto bad = Loaded(u"[Coordinates]\r\nLatitude = S 33° 26.9\r\n\r\n[Colors]\r\nArrow = 0F0\r\n");
    auto boxes = MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes[0].find("Latitude = S 33"), std::string::npos) << boxes[0];
    EXPECT_EQ(bad->Destination().Latitude(), 0);
    EXPECT_EQ(bad->GetSettings().arrow, Blue);

    EXPECT_FALSE(plain.Load(u"\\Skins\\missing.ini"));
}

// Straight up is straight ahead: the tip shows the bearing to the
// destination less the heading, wherever on earth the drive is.
TEST_F(GeoCacheOverlayTest, ArrowPointsTowardsTheDestination) {
    struct Case {
        const char* name;
        GeoPosition from, to, destination;
    };
    const GeoPosition santiago = Deg(-33.45, -70.66);
    const GeoPosition north = Deg(-33.449, -70.66);
    const Case cases[] = {
        {"north, destination north-east", santiago, north, Deg(-33.40, -70.60)},
        {"north, destination north-west", santiago, north, Deg(-33.40, -70.72)},
        {"north, destination south-west", santiago, north, Deg(-33.50, -70.72)},
        {"north, destination south-east", santiago, north, Deg(-33.50, -70.60)},
        {"north, destination east", santiago, north, Deg(-33.449, -70.50)},
        {"east, destination ahead", santiago, Deg(-33.45, -70.659), Deg(-33.45, -70.0)},
        {"west, destination north", santiago, Deg(-33.45, -70.661), Deg(-33.0, -70.661)},
        {"north over the equator, destination south", Deg(-0.0005, -50.0), Deg(0.0005, -50.0),
         Deg(-1.0, -50.0)},
        {"south over the equator, destination east", Deg(0.0005, 20.0), Deg(-0.0005, 20.0),
         Deg(-0.0005, 20.5)},
        {"east over 180°, destination ahead", Deg(-17.0, 179.9995), Deg(-17.0, -179.9995),
         Deg(-17.0, -179.0)},
        {"east over 180°, destination behind", Deg(-17.0, 179.9995), Deg(-17.0, -179.9995),
         Deg(-17.0, 179.0)},
        {"west over 180°, destination north", Deg(-17.0, -179.9995), Deg(-17.0, 179.9995),
         Deg(-16.0, 179.9995)},
        {"north far east, destination east", Deg(-60.0, 150.0), Deg(-59.999, 150.0),
         Deg(-59.999, 150.2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto overlay = Towards(c.destination);
        overlay->OnPosition(c.from);
        overlay->OnPosition(c.to);
        // Directions on a local flat map around the current position.
        const double k = std::cos(c.to.Latitude() / double(Degree) * Pi / 180);
        auto dir = [&](const GeoPosition& a, const GeoPosition& b) {
            double dLon = (b.Longitude() - a.Longitude()) / double(Degree);
            dLon = Wrap(dLon);
            const double dLat = (b.Latitude() - a.Latitude()) / double(Degree);
            return std::atan2(dLat, dLon * k) * 180 / Pi;
        };
        const double expected = Wrap(90 + dir(c.to, c.destination) - dir(c.from, c.to));
        EXPECT_NEAR(Wrap(TipAngle(*overlay, 4) - expected), 0.0, 2.0) << expected;
    }

    // The worked case: due north with the destination due east points right.
    auto overlay = Towards(Deg(-33.449, -70.0));
    overlay->OnPosition(santiago);
    overlay->OnPosition(north);
    EXPECT_NEAR(AngleBetween(overlay->Rotation(), -Pi / 2), 0.0, 1e-6);
    // Single-precision π/2 is a hair over, so the sine falls a hair short of
    // -1 and the cut-off tip one pixel short of 64.
    EXPECT_EQ(overlay->ArrowPoint(4), Point(120 + 63, 160));
}

TEST_F(GeoCacheOverlayTest, HeadingIsRenewedAfterTheMinimumMoveOnly) {
    const GeoPosition start = Deg(-33.45, -70.66);
    auto overlay = Towards(Deg(-33.45, -70.65)); // 930 m due east
    overlay->OnPosition(start);
    overlay->OnPosition(Deg(-33.4499, -70.66)); // 11 m north
    EXPECT_NEAR(AngleBetween(overlay->Rotation(), -Pi / 2), 0.0, 0.02);
    // 2 m east is less than 4 m: the arrow keeps its angle, the distance
    // and the coordinates follow.
    const std::u16string before = overlay->DistanceText();
    overlay->OnPosition(Deg(-33.4499, -70.65998));
    EXPECT_NEAR(AngleBetween(overlay->Rotation(), -Pi / 2), 0.0, 0.02);
    EXPECT_NE(overlay->DistanceText(), before);
    EXPECT_EQ(overlay->CurrentText(), u"S 33° 26.9940' / W 70° 39.5988'");

    // A jump of 655 m: the square of 65 500 cm is past 32 bits, and must not
    // count as standing still.
    overlay->OnPosition(Deg(-33.4499, -70.653)); // east now: destination ahead
    EXPECT_NEAR(AngleBetween(overlay->Rotation(), 0.0), 0.0, 0.05);

    // MinimumMove 0: every new place renews the heading, but a repeated one
    // gives no direction and the arrow stays as it was.
    auto eager = Towards(Deg(-33.45, -70.65), u"MinimumMove = 0\r\n");
    eager->OnPosition(start);
    eager->OnPosition(Deg(-33.44999, -70.66)); // 1 m north
    EXPECT_NEAR(AngleBetween(eager->Rotation(), -Pi / 2), 0.0, 1e-2);
    eager->OnPosition(Deg(-33.44999, -70.66));
    EXPECT_NEAR(AngleBetween(eager->Rotation(), -Pi / 2), 0.0, 1e-2);
    eager->OnPosition(Deg(-33.44999, -70.65999)); // 1 m east
    EXPECT_NEAR(AngleBetween(eager->Rotation(), 0.0), 0.0, 1e-2);
}

TEST_F(GeoCacheOverlayTest, DistanceTexts) {
    const GeoPosition destination = Deg(-33.45, -70.66);
    auto overlay = Towards(destination);
    // Along the meridian: units of 11132/600 cm, rounded to whole cm.
    struct Case {
        int32_t units;
        uint32_t cm;
        const char16_t* text;
    };
    for (const Case& c :
         {Case{0, 0, u"0.00m"}, Case{60, 1113, u"11.13m"}, Case{5389, 99984, u"999.84m"},
          Case{5390, 100002, u"1.00km"}, Case{6654, 123454, u"1.23km"}}) {
        const GeoPosition p(destination.Latitude() + c.units, destination.Longitude());
        ASSERT_EQ(destination.DistanceTo(p), c.cm) << c.units;
        overlay->OnPosition(p);
        EXPECT_EQ(overlay->DistanceText(), std::u16string(c.text)) << c.units;
    }
    // Against a great-circle distance, in every direction up to 20 km.
    for (int bearing = 0; bearing < 360; bearing += 30) {
        const double r = 20000.0 * (bearing + 30) / 390;
        const double a = bearing * Pi / 180;
        const GeoPosition p = Deg(-33.45 + r * std::sin(a) / 111320,
                                  -70.66 + r * std::cos(a) / (111320 * std::cos(33.45 * Pi / 180)));
        overlay->OnPosition(p);
        const std::u16string text = overlay->DistanceText();
        std::string narrow(text.begin(), text.end());
        const bool km = narrow.find("km") != std::string::npos;
        const double shown = std::atof(narrow.c_str()) * (km ? 1000 : 1);
        const double reference = Haversine(destination, p);
        EXPECT_NEAR(shown, reference, km ? 10.0 + reference * 1e-3 : 0.01 + reference * 1e-3)
            << narrow << " at " << bearing;
    }
}

TEST_F(GeoCacheOverlayTest, LostFixKeepsTheLastPlaceInEitherHemisphere) {
    auto overlay = Towards(Deg(10.0, 10.0));
    const GeoPosition invalid(-1, -1, false);
    overlay->OnPosition(invalid);
    EXPECT_EQ(overlay->CurrentText(), GeoCacheOverlay::NoFixText);
    EXPECT_TRUE(overlay->DistanceText().empty());

    overlay->OnPosition(Deg(-33.45, -70.66));
    const std::u16string south = overlay->CurrentText();
    const std::u16string distance = overlay->DistanceText();
    const float rotation = overlay->Rotation();
    overlay->OnPosition(invalid);
    EXPECT_EQ(overlay->CurrentText(), south);
    EXPECT_EQ(overlay->DistanceText(), distance);
    EXPECT_EQ(overlay->Rotation(), rotation);

    overlay->OnPosition(Deg(48.1173, 11.5167));
    const std::u16string north = overlay->CurrentText();
    overlay->OnPosition(invalid);
    EXPECT_EQ(overlay->CurrentText(), north);
}

TEST_F(GeoCacheOverlayTest, DrawsArrowAndTextsAtTheirPlaces) {
    auto overlay =
        Towards(Deg(-33.449, -70.0),
                u"\r\n[Metrics]\r\nShowCoordinates = yes\r\nxDist = 20\r\nyDist = 270\r\n"
                u"\r\n[Colors]\r\nDistance = FF0000\r\nDestination = 00FF00\r\n");
    overlay->OnPosition(Deg(-33.45, -70.66));
    overlay->OnPosition(Deg(-33.449, -70.66));
    auto draw = [&](int ox, int oy) {
        auto canvas = Canvas::Create(240 + ox, 320 + oy);
        canvas->FillRect({0, 0, canvas->Width(), canvas->Height()}, White);
        overlay->Draw(*canvas, ox, oy);
        return canvas;
    };
    auto canvas = draw(0, 0);
    if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR"))
        canvas->SavePng(std::string(dir) + "/geocache.png");
    // Pointing right: fill on the shaft to the right of the centre, nothing
    // on the left; the tip's black border.
    EXPECT_EQ(canvas->GetPixel(150, 160), Blue);
    EXPECT_EQ(canvas->GetPixel(70, 160), Blue); // the tail
    EXPECT_EQ(canvas->GetPixel(100, 130), White);
    EXPECT_EQ(canvas->GetPixel(183, 160), Black);
    auto count = [&](const Canvas& c, platform::Rect r, Color color) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += c.GetPixel(x, y) == color ? 1 : 0;
        return n;
    };
    EXPECT_GT(count(*canvas, {20, 270, 200, 320}, Red), 20);
    EXPECT_GT(count(*canvas, {30, 16, 240, 40}, Green), 20);
    // Drawn at an origin, everything moves along.
    auto moved = draw(15, 25);
    EXPECT_EQ(moved->GetPixel(150 + 15, 160 + 25), Blue);
    EXPECT_EQ(moved->GetPixel(183 + 15, 160 + 25), Black);
}

} // namespace
