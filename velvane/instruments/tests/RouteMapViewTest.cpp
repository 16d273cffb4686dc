#include "instruments/RouteMapView.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/resources.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

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

constexpr Color RouteRed = Rgb(0xC0, 0x00, 0x00);
constexpr Color PoiGreen = Rgb(0x00, 0xFF, 0x00);
constexpr double CmPerUnit = 11132.0 / 600.0;
constexpr double Pi = 3.14159265358979323846;

// The program embeds the committed bitmaps; the tests read the same files.
void RegisterPanelBitmaps() {
    static std::map<int, std::vector<uint8_t>> bytes;
    for (int id = 130; id <= 144; ++id) {
        if (!bytes.count(id)) {
            std::ifstream in(std::string(SUITE_SOURCE_DIR) + "/velvane/resources/route" +
                                 std::to_string(id) + ".bmp",
                             std::ios::binary);
            bytes[id].assign(std::istreambuf_iterator<char>(in), {});
            ASSERT_FALSE(bytes[id].empty()) << "bitmap " << id;
        }
        platform::RegisterResource(id, bytes[id]);
    }
}

void Snapshot(const Canvas& canvas, const std::string& name) {
    const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR");
    if (!dir)
        return;
    EXPECT_TRUE(canvas.SavePng(std::string(dir) + "/" + name));
    auto zoom = Canvas::Create(canvas.Width() * 3, canvas.Height() * 3);
    zoom->StretchBlt({0, 0, zoom->Width(), zoom->Height()}, canvas);
    EXPECT_TRUE(zoom->SavePng(std::string(dir) + "/zoom-" + name));
}

int CountNear(const Canvas& c, Point p, int r, Color color) {
    int n = 0;
    for (int y = p.y - r; y <= p.y + r; ++y)
        for (int x = p.x - r; x <= p.x + r; ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

int CountAll(const Canvas& c, Color color) {
    return CountNear(c, {c.Width() / 2, c.Height() / 2}, std::max(c.Width(), c.Height()), color);
}

std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// Near the equator and the prime meridian, where the longitude scale is
// that of the equator: a position metres north and east of (0°, 0°).
GeoPosition Metres(double north, double east) {
    return GeoPosition(int32_t(std::lround(north * 100 / CmPerUnit)),
                       int32_t(std::lround(east * 100 / CmPerUnit)));
}

// Where the formulas put a position on a W x H view whose window has the
// given left/top (cm from the reference) and size.
Point Expected(const GeoPosition& p, const GeoPosition& reference, int w, int h, int64_t left,
               int64_t top, int64_t width, int64_t height) {
    const double scale = std::cos(reference.Latitude() / 600000.0 * Pi / 180.0) * CmPerUnit;
    const int64_t east = std::llround((p.Longitude() - reference.Longitude()) * scale);
    const int64_t north = int64_t(p.Latitude() - reference.Latitude()) * 11132 / 600;
    return {int(w * (east - left) / width), int(h * (top - north) / height)};
}

class RouteMapViewTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterPanelBitmaps(); }

    std::unique_ptr<Canvas> Drawn(RouteMapView& view, int originX = 0, int originY = 0) {
        auto canvas = Canvas::Create(view.Width() + originX, view.Height() + originY);
        canvas->FillRect({0, 0, canvas->Width(), canvas->Height()}, Rgb(1, 2, 3));
        view.Draw(*canvas, originX, originY);
        return canvas;
    }
    std::unique_ptr<RouteMapView> Loaded(int w, int h, const std::u16string& text) {
        m_device.Put(u"\\Skins\\route.ini", Utf16File(text));
        auto view = std::make_unique<RouteMapView>(m_screen, w, h);
        EXPECT_TRUE(view->Load(u"\\Skins\\route.ini"));
        return view;
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
};

TEST_F(RouteMapViewTest, DefaultsOn240x320) {
    RouteMapView view(m_screen, 240, 320);
    EXPECT_EQ(view.MapWidth(), 3200u);
    EXPECT_EQ(view.MapHeight(), 4266u);
    EXPECT_EQ(view.AutoMoveRadiusSquared(), 48 * 48);
    EXPECT_EQ(view.PanelPosition(), Point(187, 10));
    EXPECT_EQ(view.Capacity(), 128);
    EXPECT_EQ(view.StoredCount(), 0);
    EXPECT_EQ(view.MapLeft(), 0);
    EXPECT_EQ(view.MapTop(), 0);
    EXPECT_TRUE(view.AutoMove());
    for (int i = 0; i < RouteMapView::ButtonCount; ++i)
        EXPECT_EQ(view.ButtonVisible(i), i != RouteMapView::Expand && i != RouteMapView::AutoMoveOn)
            << i;
    // Grid places: zoom in at row 1 left, AutoMove at row 6 right.
    EXPECT_EQ(view.ButtonRect(RouteMapView::ZoomIn), (platform::Rect{-2, 20, 21, 43}));
    EXPECT_EQ(view.ButtonRect(RouteMapView::AutoMoveOff), (platform::Rect{20, 130, 43, 153}));

    // Loading the same defaults from a file changes nothing; negative panel
    // places count from the far edges.
    auto loaded = Loaded(240, 320, u"[Controls]\r\nxControls = -20\r\nyControls = -5\r\n");
    EXPECT_EQ(loaded->PanelPosition(), Point(240 - 20 - 43, 320 - 5 - 153));
    EXPECT_EQ(loaded->MapHeight(), 4266u);
}

TEST_F(RouteMapViewTest, TrackStandpointAndPoisLandWhereTheFormulasSay) {
    auto view = Loaded(240, 320,
                       u"[Metrics]\r\nRouteWidth = 1\r\nPOISize = 6\r\n\r\n"
                       u"[POI]\r\nLatitude = S 00° 00.0100\r\nLongitude = E 000° 00.0050\r\n"
                       u"Color = 0000FF\r\n\r\n"
                       u"[POI]\r\nLongitude = E 000° 00.0100\r\nLatitude = S 00° 00.0050\r\n"
                       u"Text = Hütte\r\n");
    view->RunAction(RouteMapView::AutoMoveOff);
    ASSERT_EQ(view->Pois().size(), 2u);
    // Either order of the two coordinates completes a POI.
    EXPECT_EQ(view->Pois()[0].position.Latitude(), -100);
    EXPECT_EQ(view->Pois()[0].position.Longitude(), 50);
    EXPECT_EQ(view->Pois()[1].position.Latitude(), -50);
    EXPECT_EQ(view->Pois()[1].position.Longitude(), 100);

    // A short drive south-east from the map's top-left corner.
    const GeoPosition origin(0, 0);
    const std::vector<GeoPosition> drive = {Metres(-2, 2), Metres(-10, 8), Metres(-25, 12),
                                            Metres(-30, 25)};
    for (const GeoPosition& p : drive)
        view->OnPosition(p);
    view->OnPosition(GeoPosition(-1, -1, false)); // ignored
    ASSERT_EQ(view->StoredCount(), 4);
    auto canvas = Drawn(*view);
    Snapshot(*canvas, "route-probes.png");

    std::vector<Point> screen;
    for (const GeoPosition& p : drive)
        screen.push_back(Expected(p, origin, 240, 320, 0, 0, 3200, 4266));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Point(int(view->ScreenAt(i).x), int(view->ScreenAt(i).y)), screen[size_t(i)]);
    // Each segment's middle is on the line.
    for (size_t i = 0; i + 2 < screen.size(); ++i) {
        const Point mid{(screen[i].x + screen[i + 1].x) / 2, (screen[i].y + screen[i + 1].y) / 2};
        EXPECT_GT(CountNear(*canvas, mid, 1, RouteRed), 0) << i;
    }
    // The standpoint: arms of 4 pixels, pen 2, on the newest point.
    const Point s = screen.back();
    EXPECT_EQ(canvas->GetPixel(s.x - 3, s.y), Red);
    EXPECT_EQ(canvas->GetPixel(s.x, s.y + 3), Red);

    // POI circles of half size 6 around their points; the label's colour
    // above the right.
    const Point p0 = Expected(view->Pois()[0].position, origin, 240, 320, 0, 0, 3200, 4266);
    const Point p1 = Expected(view->Pois()[1].position, origin, 240, 320, 0, 0, 3200, 4266);
    EXPECT_GT(CountNear(*canvas, {p0.x - 6, p0.y}, 1, Blue), 0);
    EXPECT_GT(CountNear(*canvas, {p0.x, p0.y - 6}, 1, Blue), 0);
    EXPECT_EQ(canvas->GetPixel(p0.x, p0.y), White);
    EXPECT_GT(CountNear(*canvas, {p1.x + 5, p1.y}, 1, PoiGreen), 0);
    int label = 0;
    for (int y = p1.y - 30; y < p1.y - 6; ++y)
        for (int x = p1.x + 6; x < p1.x + 50; ++x)
            label += canvas->GetPixel(x, y) != White ? 1 : 0;
    EXPECT_GT(label, 10);

    // Marks as crosses: straight and diagonal.
    auto crosses = Loaded(240, 320,
                          u"[Metrics]\r\nPOIStyle = Cross2\r\nPOISize = 6\r\n\r\n[POI]\r\n"
                          u"Latitude = S 00° 00.0100\r\nLongitude = E 000° 00.0050\r\n");
    auto diagonal = Drawn(*crosses);
    EXPECT_EQ(diagonal->GetPixel(p0.x + 4, p0.y + 4), PoiGreen);
    EXPECT_EQ(diagonal->GetPixel(p0.x + 4, p0.y), White);
}

TEST_F(RouteMapViewTest, FullRingDropsTheOldestAndKeepsTheLineWhole) {
    auto view = Loaded(240, 320, u"[Metrics]\r\nRoutePoints = 128\r\nRouteWidth = 1\r\n");
    view->RunAction(RouteMapView::AutoMoveOff);
    // A zig-zag down the view: x alternates, y grows by 10 cm a point.
    auto point = [](int i) { return Metres(-0.3 * i - 1, i % 2 ? 25.0 : 5.0); };
    for (int i = 0; i < 129; ++i)
        view->OnPosition(point(i));
    EXPECT_EQ(view->StoredCount(), 128);
    EXPECT_EQ(view->WriteIndex(), 1);
    EXPECT_EQ(view->PointAt(0).Latitude(), point(1).Latitude());
    EXPECT_EQ(view->PointAt(127).Latitude(), point(128).Latitude());

    auto canvas = Drawn(*view);
    Snapshot(*canvas, "route-ring.png");
    const GeoPosition origin(0, 0);
    auto at = [&](int i) { return Expected(point(i), origin, 240, 320, 0, 0, 3200, 4266); };
    auto middle = [&](int i) {
        return Point{(at(i).x + at(i + 1).x) / 2, (at(i).y + at(i + 1).y) / 2};
    };
    // The first segment is gone with the point it started at ...
    EXPECT_EQ(CountNear(*canvas, middle(0), 0, RouteRed), 0);
    // ... and the newest one, which crosses the end of the ring, is drawn.
    EXPECT_GT(CountNear(*canvas, middle(127), 1, RouteRed), 0);
    EXPECT_GT(CountNear(*canvas, middle(1), 1, RouteRed), 0);
}

// Frames add new points to the kept layer and draw again only the areas where
// dropped pieces of the track showed; at every step the picture must be the
// one a view built from scratch shows: while the ring wraps, when the whole
// track is in view and laps cross one another, where the drive stands still
// or leaves the view, for thin and wide pens.
TEST_F(RouteMapViewTest, AddedPointsDrawLikeAFreshView) {
    auto meander = [](int i) { return Metres(-4 - 0.5 * i, 16 + 12 * std::sin(i / 5.0)); };
    // Laps round the middle of the view, each position given twice.
    auto laps = [](double radius) {
        return [radius](int i) {
            const double a = (i / 2) * 2 * Pi / 23;
            return Metres(-21 + radius * std::sin(a),
                          16 + radius * std::cos(a) + (i / 2) % 3 * 0.1);
        };
    };
    struct Case {
        const char* name;
        int routeWidth;
        int routePoints;
        int steps;
        std::function<GeoPosition(int)> drive;
    };
    const Case cases[] = {
        {"meander", 3, 40, 70, meander},
        {"laps in view, width 1", 1, 60, 160, laps(12)},
        {"laps in view, width 2", 2, 60, 160, laps(12)},
        {"laps in view, width 3", 3, 60, 160, laps(12)},
        {"laps in view, width 6", 6, 45, 120, laps(9)},
        {"laps beyond the view", 2, 50, 140, laps(24)},
    };
    for (const Case& c : cases) {
        const std::u16string skin = u"[Metrics]\r\nRoutePoints = " + Number(c.routePoints) +
                                    u"\r\nRouteWidth = " + Number(c.routeWidth) + u"\r\n";
        auto live = Loaded(240, 320, skin);
        live->RunAction(RouteMapView::AutoMoveOff);
        std::vector<GeoPosition> drive;
        for (int step = 0; step < c.steps; ++step) {
            drive.push_back(c.drive(step));
            live->OnPosition(drive.back());
            auto a = Drawn(*live);
            if (step % 5 != 4 && step + 1 != c.steps)
                continue;
            auto fresh = Loaded(240, 320, skin);
            fresh->RunAction(RouteMapView::AutoMoveOff);
            for (const GeoPosition& p : drive)
                fresh->OnPosition(p);
            auto b = Drawn(*fresh);
            int differing = 0;
            for (int y = 0; y < 320; ++y)
                for (int x = 0; x < 240; ++x)
                    differing += a->GetPixel(x, y) != b->GetPixel(x, y) ? 1 : 0;
            ASSERT_EQ(differing, 0) << c.name << ", step " << step;
            if (step + 1 == c.steps) {
                EXPECT_GT(CountAll(*a, RouteRed), 100) << c.name;
            }
        }
        EXPECT_EQ(live->StoredCount(), c.routePoints) << c.name;
        // Only the first frame drew the whole layer; dropped pieces did not.
        EXPECT_EQ(live->LayerBuilds(), 1u) << c.name;
    }
}

TEST_F(RouteMapViewTest, ZoomPanAndCentring) {
    RouteMapView view(m_screen, 240, 320);
    view.RunAction(RouteMapView::ZoomIn);
    EXPECT_EQ(view.MapLeft(), 400);
    EXPECT_EQ(view.MapWidth(), 2400u);
    EXPECT_EQ(view.MapTop(), -533);
    EXPECT_EQ(view.MapHeight(), 3200u);
    view.RunAction(RouteMapView::ZoomOut);
    // Quarters and eighths of whole centimetres do not return.
    EXPECT_EQ(view.MapLeft(), 100);
    EXPECT_EQ(view.MapWidth(), 3000u);
    EXPECT_EQ(view.MapTop(), -133);
    EXPECT_EQ(view.MapHeight(), 4000u);

    view.RunAction(RouteMapView::PanLeft);
    EXPECT_EQ(view.MapLeft(), 100 - 3000);
    view.RunAction(RouteMapView::StepRight);
    EXPECT_EQ(view.MapLeft(), 100 - 3000 + 300);
    view.RunAction(RouteMapView::PanUp);
    EXPECT_EQ(view.MapTop(), -133 + 4000);
    view.RunAction(RouteMapView::StepDown);
    EXPECT_EQ(view.MapTop(), -133 + 4000 - 400);

    // AutoMove off: the drive leaves the view; centring brings it back.
    view.RunAction(RouteMapView::AutoMoveOff);
    const GeoPosition far = Metres(-500, 700);
    view.OnPosition(far);
    EXPECT_GT(view.ScreenAt(0).x, 240);
    auto before = Drawn(view);
    EXPECT_EQ(CountAll(*before, Red), 0);
    view.RunAction(RouteMapView::CentreOnStandpoint);
    EXPECT_EQ(view.ScreenAt(0).x, 120);
    EXPECT_EQ(view.ScreenAt(0).y, 160);
    auto after = Drawn(view);
    EXPECT_EQ(after->GetPixel(117, 160), Red);
    EXPECT_EQ(after->GetPixel(120, 163), Red);

    // AutoMove on: leaving the radius re-centres on the new point at once.
    view.RunAction(RouteMapView::AutoMoveOn);
    view.OnPosition(Metres(-500, 712)); // 12 m: 90 pixels, past 48
    EXPECT_EQ(view.ScreenAt(1).x, 120);
    EXPECT_EQ(view.ScreenAt(1).y, 160);
    EXPECT_EQ(view.Projection().Reference().Longitude(), Metres(-500, 712).Longitude());
    view.OnPosition(Metres(-500, 714)); // 15 pixels: stays
    const Point third =
        Expected(Metres(-500, 714), Metres(-500, 712), 240, 320, -1500, 2000, 3000, 4000);
    EXPECT_EQ(view.ScreenAt(2).x, third.x);
    EXPECT_EQ(view.ScreenAt(2).y, third.y);
}

TEST_F(RouteMapViewTest, KeysAndTapsRunTheVisibleButtons) {
    RouteMapView view(m_screen, 240, 320);
    // Tap the middle of zoom in: panel at (187, 10), button at (-2, 20).
    EXPECT_TRUE(view.OnTap(187 + 9, 10 + 31));
    EXPECT_EQ(view.MapWidth(), 2400u);
    // The shared pixel of two neighbours goes to the lower index: x = 20 is
    // in both zoom in (8) and zoom out (9).
    EXPECT_TRUE(view.OnTap(187 + 20, 10 + 31));
    EXPECT_EQ(view.MapWidth(), 1800u);
    EXPECT_FALSE(view.OnTap(10, 10));
    EXPECT_FALSE(view.OnTap(187 + 9, 10 + 9)); // the empty place

    EXPECT_TRUE(view.OnKey(109));
    EXPECT_EQ(view.MapWidth(), 2250u);
    EXPECT_TRUE(view.OnKey(37));
    EXPECT_EQ(view.MapLeft(), 400 + 300 - 225 - 225);
    EXPECT_FALSE(view.OnKey(99));

    // Collapse: only the expand button is left, in the collapse button's place.
    EXPECT_TRUE(view.OnKey(16));
    for (int i = 0; i < RouteMapView::ButtonCount; ++i)
        EXPECT_EQ(view.ButtonVisible(i), i == RouteMapView::Expand) << i;
    EXPECT_FALSE(view.OnKey(107));
    auto collapsed = Drawn(view);
    EXPECT_EQ(collapsed->GetPixel(187 + 20, 10 + 10), Black); // its frame
    EXPECT_EQ(collapsed->GetPixel(187 + 10, 10 + 40), White); // no zoom button
    EXPECT_TRUE(view.OnTap(187 + 31, 10 + 9));
    EXPECT_TRUE(view.ButtonVisible(RouteMapView::ZoomIn));

    // One key switches AutoMove either way; the button in place follows.
    EXPECT_TRUE(view.OnKey(RouteMapView::AutoMoveKey));
    EXPECT_FALSE(view.AutoMove());
    EXPECT_TRUE(view.ButtonVisible(RouteMapView::AutoMoveOn));
    EXPECT_FALSE(view.ButtonVisible(RouteMapView::AutoMoveOff));
    view.RunAction(RouteMapView::Collapse);
    view.RunAction(RouteMapView::Expand);
    EXPECT_TRUE(view.ButtonVisible(RouteMapView::AutoMoveOn));
    EXPECT_FALSE(view.ButtonVisible(RouteMapView::AutoMoveOff));
    EXPECT_TRUE(view.OnTap(187 + 31, 10 + 141));
    EXPECT_TRUE(view.AutoMove());

    // "Show = no" collapses on load.
    auto hidden = Loaded(240, 320, u"[Controls]\r\nShow = no\r\nFrameColor = 0000FF\r\n");
    EXPECT_TRUE(hidden->ButtonVisible(RouteMapView::Expand));
    EXPECT_FALSE(hidden->ButtonVisible(RouteMapView::ZoomIn));
    auto frame = Drawn(*hidden);
    EXPECT_EQ(frame->GetPixel(187 + 20, 10 - 2), Blue);
    Snapshot(*Drawn(view), "route-panel.png");
}

TEST_F(RouteMapViewTest, PanelShowsItsBitmapsWithMagentaLeftOut) {
    RouteMapView view(m_screen, 240, 320);
    auto canvas = Drawn(view);
    EXPECT_EQ(CountAll(*canvas, Magenta), 0);
    // Zoom in's magnifier has ink inside its frame, pan left its blue heads.
    const platform::Rect zoom{187, 10 + 22, 187 + 19, 10 + 22 + 19};
    int ink = 0;
    for (int y = zoom.top; y < zoom.bottom; ++y)
        for (int x = zoom.left; x < zoom.right; ++x)
            ink += canvas->GetPixel(x, y) != White ? 1 : 0;
    EXPECT_GT(ink, 40);
    EXPECT_GT(CountNear(*canvas, {187 + 9, 10 + 110 + 9}, 6, Rgb(0x00, 0x48, 0x88)), 20);
}

TEST_F(RouteMapViewTest, ReloadKeepsTheNewestPointsAndReplacesPois) {
    auto view =
        Loaded(240, 320, u"[POI]\r\nLatitude = N 00° 00.1000\r\nLongitude = E 000° 00.1000\r\n");
    for (int i = 0; i < 10; ++i)
        view->OnPosition(Metres(i, 0));
    m_device.Put(u"\\Skins\\small.ini",
                 Utf16File(u"[Metrics]\r\nRoutePoints = 4\r\n\r\n[POI]\r\n"
                           u"Latitude = S 10° 00.0000\r\n\r\n[POI]\r\nText = Nur Text\r\n"));
    ASSERT_TRUE(view->Load(u"\\Skins\\small.ini"));
    EXPECT_EQ(view->Capacity(), 4);
    EXPECT_EQ(view->StoredCount(), 4);
    EXPECT_EQ(view->WriteIndex(), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(view->PointAt(i).Latitude(), Metres(6 + i, 0).Latitude()) << i;
    // The file's two POIs only; one with a latitude alone stays at (0, 0).
    ASSERT_EQ(view->Pois().size(), 2u);
    EXPECT_EQ(view->Pois()[0].position.Latitude(), 0);
    EXPECT_EQ(view->Pois()[0].position.Longitude(), 0);
    EXPECT_EQ(view->Pois()[1].text, u"Nur Text");

    // Growing again keeps all four, in order, and continues after them.
    ASSERT_TRUE(view->Load(u"\\Skins\\route.ini"));
    EXPECT_EQ(view->Capacity(), 128);
    EXPECT_EQ(view->StoredCount(), 4);
    EXPECT_EQ(view->WriteIndex(), 4);
    view->OnPosition(Metres(20, 0));
    EXPECT_EQ(view->PointAt(4).Latitude(), Metres(20, 0).Latitude());
    EXPECT_EQ(view->PointAt(0).Latitude(), Metres(6, 0).Latitude());
}

TEST_F(RouteMapViewTest, BadSettingsAreReportedAndBounded) {
    platform::TranscriptClear();
    auto view = Loaded(240, 320,
                       u"[Metrics]\r\nPOIStyle = Square\r\nRoutePoints = 0\r\nMapSize = 0\r\n\r\n"
                       u"[Colors]\r\nRoute = F00\r\n\r\n[POI]\r\nLatitude = N 48° 7.03\r\n");
    auto boxes = MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes[0].find("POIStyle = Square"), std::string::npos) << boxes[0];
    EXPECT_EQ(view->Settings().poiStyle, RouteMapView::PoiStyle::Circle);
    EXPECT_EQ(view->Settings().route, RouteRed);
    // No ring of nothing and no window of nothing to divide by.
    EXPECT_EQ(view->Capacity(), 1);
    EXPECT_EQ(view->MapWidth(), 4u);
    view->OnPosition(Metres(1, 1));
    view->OnPosition(Metres(2, 2));
    EXPECT_EQ(view->StoredCount(), 1);
    Drawn(*view);

    auto huge = Loaded(240, 320, u"[Metrics]\r\nRoutePoints = 99999999\r\n");
    EXPECT_EQ(huge->Capacity(), RouteMapView::MaxRoutePoints);
}

// Far from the origin, at the 180° meridian and at the ends of the zoom, the
// arithmetic must neither wrap nor bend the picture.
TEST_F(RouteMapViewTest, FarPlacesMeridianAndZoomLimits) {
    RouteMapView view(m_screen, 240, 320);
    // Due north at 60° S, 150° W: the line stays on one column.
    const int32_t lon = -150 * 600000;
    for (int i = 0; i < 5; ++i)
        view.OnPosition(GeoPosition(-60 * 600000 + i * 30, lon));
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(view.ScreenAt(i).x, view.ScreenAt(0).x) << i;
        EXPECT_LT(view.ScreenAt(i).y, view.ScreenAt(i - 1).y) << i;
    }

    // Eastwards over 180°: 80 units, 14 m at 17° S, not once round the globe.
    RouteMapView meridian(m_screen, 240, 320);
    const int32_t east = 180 * 600000 - 40;
    const int32_t west = -180 * 600000 + 40;
    meridian.OnPosition(GeoPosition(-17 * 600000, east));
    meridian.OnPosition(GeoPosition(-17 * 600000, west));
    const int64_t step = meridian.ScreenAt(1).x - meridian.ScreenAt(0).x;
    const double cm = 80 * std::cos(17 * Pi / 180) * CmPerUnit;
    EXPECT_NEAR(double(step), 240 * cm / 3200, 1.0);
    auto canvas = Drawn(meridian);
    Snapshot(*canvas, "route-meridian.png");
    EXPECT_GT(CountAll(*canvas, RouteRed), 0);

    // Zoomed in to the last centimetre and out to the whole earth, with
    // points half a world away: no wrap, no crash.
    meridian.RunAction(RouteMapView::AutoMoveOff);
    for (int i = 0; i < 200; ++i)
        meridian.RunAction(RouteMapView::ZoomIn);
    EXPECT_LE(meridian.MapWidth(), 5u);
    meridian.OnPosition(GeoPosition(60 * 600000, 0));
    Drawn(meridian);
    EXPECT_LT(meridian.ScreenAt(2).y, 0); // far north: far above
    for (int i = 0; i < 300; ++i)
        meridian.RunAction(RouteMapView::ZoomOut);
    EXPECT_LE(int64_t(meridian.MapWidth()), RouteMapView::MaxWindowCm);
    EXPECT_GT(meridian.MapWidth(), 1000000000u);
    for (int i = 0; i < 100; ++i)
        meridian.RunAction(RouteMapView::PanLeft);
    EXPECT_GE(meridian.MapLeft(), -RouteMapView::MaxEdgeCm);
    Drawn(meridian);
}

TEST_F(RouteMapViewTest, Looks) {
    auto view = Loaded(480, 272,
                       u"[Background]\r\nColor = F4F0E6\r\n\r\n"
                       u"[Metrics]\r\nMapSize = 400\r\nRouteWidth = 3\r\nPOISize = 8\r\n\r\n"
                       u"[POI]\r\nLatitude = S 00° 02.5500\r\nLongitude = W 000° 01.4000\r\n"
                       u"Text = Tankstelle\r\nColor = 0060C0\r\n\r\n"
                       u"[POI]\r\nLatitude = S 00° 02.6000\r\nLongitude = W 000° 01.5200\r\n"
                       u"Text = Ziel\r\nColor = 008000\r\n");
    for (int i = 0; i < 120; ++i)
        view->OnPosition(Metres(-40.0 * i, -20.0 * i - 300 * std::sin(i / 15.0)));
    auto canvas = Drawn(*view);
    Snapshot(*canvas, "route-look.png");
    EXPECT_GT(CountAll(*canvas, RouteRed), 100);
}

} // namespace
