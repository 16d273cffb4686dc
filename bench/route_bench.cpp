// Cost of the route map at 800 x 480 with the largest track the settings
// allow, beside the speedometer's frame from the same run: a frame alone, a
// frame after each new position, a new position alone, and a move of the map
// window that projects every point again.
#include "display/Screen.h"
#include "instruments/GeoPosition.h"
#include "instruments/RouteMapView.h"
#include "instruments/SpeedoView.h"

#include "platform/canvas.h"
#include "platform/testing/temp_device.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using namespace velvane;

constexpr int Width = 800;
constexpr int Height = 480;

std::u16string Number(int64_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

class BenchDevice : public platform::testing::TempDevice {
public:
    BenchDevice() : TempDevice(u"\\Program Files\\Velvane\\Velvane.exe", Width, Height) {
        const std::u16string points = Number(RouteMapView::MaxRoutePoints);
        Put(u"\\Skins\\route.ini",
            platform::testing::Utf16File(u"[Metrics]\r\nRoutePoints = " + points +
                                         u"\r\nMapSize = 1000\r\nRouteWidth = 3\r\n\r\n"
                                         u"[POI]\r\nLatitude = S 33° 20.0000\r\n"
                                         u"Longitude = W 070° 30.0000\r\nText = Ziel\r\n"));
        Put(u"\\Skins\\wide.ini",
            platform::testing::Utf16File(u"[Metrics]\r\nRoutePoints = " + points +
                                         u"\r\nMapSize = 40000\r\nRouteWidth = 3\r\n"));
        Put(u"\\Skins\\speedo.ini",
            platform::testing::Utf16File(
                u"[AnalogMetrics]\r\nX = 400\r\nY = 300\r\nRadius = 260\r\nNeedleStyle = 2\r\n"
                u"TwoColored = 1\r\nDigitSize = 32\r\n\r\n[DigitalMetrics]\r\nX = 400\r\nY = "
                u"420\r\n"));
    }
};

// A meandering drive north-east at 15 m/s, one position a second.
GeoPosition DriveAt(uint64_t second) {
    const double t = double(second);
    const double lat = -33.5 * 600000 + t * 60 + 300 * std::sin(t / 40);
    const double lon = -70.7 * 600000 + t * 40 + 300 * std::cos(t / 55);
    return GeoPosition(int32_t(lat), int32_t(lon));
}

// Laps of a 9 by 11 km loop, an hour a lap: all of it on a 40 km map.
GeoPosition LoopAt(uint64_t second) {
    const double a = double(second) * 2 * 3.141592653589793 / 3600;
    const double lat = -33.5 * 600000 + 24000 * std::sin(a) + double(second % 7);
    const double lon = -70.7 * 600000 + 36000 * std::cos(a);
    return GeoPosition(int32_t(lat), int32_t(lon));
}

struct Route {
    BenchDevice device;
    Screen screen{nullptr, Width, Height};
    RouteMapView view{screen, Width, Height};
    std::unique_ptr<platform::Canvas> backBuffer = platform::Canvas::Create(Width, Height);
    uint64_t second = 0;

    // The ring filled and wrapped once, then the map centred on the
    // standpoint and following the drive. (Following while filling would
    // re-centre some thousand times, each projecting the whole track.)
    bool Fill(const char16_t* skin, GeoPosition (*drive)(uint64_t) = DriveAt) {
        if (!view.Load(skin))
            return false;
        view.RunAction(RouteMapView::AutoMoveOff);
        const uint64_t n = uint64_t(view.Capacity()) + 1000;
        for (; second < n; ++second)
            view.OnPosition(drive(second));
        view.RunAction(RouteMapView::CentreOnStandpoint);
        view.RunAction(RouteMapView::AutoMoveOn);
        view.Draw(*backBuffer, 0, 0);
        return view.StoredCount() == view.Capacity();
    }
};

void RouteFrame(benchmark::State& state) {
    Route r;
    if (!r.Fill(u"\\Skins\\route.ini")) {
        state.SkipWithError("route did not fill");
        return;
    }
    for (auto _ : state) {
        r.view.Draw(*r.backBuffer, 0, 0);
        benchmark::DoNotOptimize(r.backBuffer->Surface());
    }
    state.counters["points"] = r.view.StoredCount();
}
BENCHMARK(RouteFrame)->Unit(benchmark::kMicrosecond);

// As the receiver drives it: a new position, then the frame.
void RouteFrameWithNewPosition(benchmark::State& state) {
    Route r;
    if (!r.Fill(u"\\Skins\\route.ini")) {
        state.SkipWithError("route did not fill");
        return;
    }
    const uint64_t builds = r.view.LayerBuilds();
    for (auto _ : state) {
        r.view.OnPosition(DriveAt(r.second++));
        r.view.Draw(*r.backBuffer, 0, 0);
        benchmark::DoNotOptimize(r.backBuffer->Surface());
    }
    state.counters["points"] = r.view.StoredCount();
    state.counters["rebuilds"] = double(r.view.LayerBuilds() - builds);
}
BENCHMARK(RouteFrameWithNewPosition)->Unit(benchmark::kMicrosecond);

// The whole track on screen: every new position drops a visible piece, and
// each frame draws again the area where it showed, with all the laps that
// cross it. The dearest case there is.
void RouteFrameWholeTrackVisible(benchmark::State& state) {
    Route r;
    if (!r.Fill(u"\\Skins\\wide.ini", LoopAt)) {
        state.SkipWithError("route did not fill");
        return;
    }
    r.view.RunAction(RouteMapView::AutoMoveOff);
    const uint64_t builds = r.view.LayerBuilds();
    for (auto _ : state) {
        r.view.OnPosition(LoopAt(r.second++));
        r.view.Draw(*r.backBuffer, 0, 0);
        benchmark::DoNotOptimize(r.backBuffer->Surface());
    }
    state.counters["points"] = r.view.StoredCount();
    state.counters["rebuilds"] = double(r.view.LayerBuilds() - builds);
}
BENCHMARK(RouteFrameWholeTrackVisible)->Unit(benchmark::kMillisecond);

// As above, but the map window moves before every other position, so the
// first dropped piece after each new layer finds the track's cells anew.
void RouteFrameWholeTrackVisibleMoving(benchmark::State& state) {
    Route r;
    if (!r.Fill(u"\\Skins\\wide.ini", LoopAt)) {
        state.SkipWithError("route did not fill");
        return;
    }
    r.view.RunAction(RouteMapView::AutoMoveOff);
    int action = RouteMapView::StepLeft;
    for (auto _ : state) {
        r.view.RunAction(action);
        action =
            action == RouteMapView::StepLeft ? RouteMapView::StepRight : RouteMapView::StepLeft;
        r.view.Draw(*r.backBuffer, 0, 0);
        r.view.OnPosition(LoopAt(r.second++));
        r.view.Draw(*r.backBuffer, 0, 0);
        benchmark::DoNotOptimize(r.backBuffer->Surface());
    }
    state.counters["points"] = r.view.StoredCount();
}
BENCHMARK(RouteFrameWholeTrackVisibleMoving)->Unit(benchmark::kMillisecond);

// A position alone, with AutoMove off so that the map never re-centres:
// the same cost whatever the track's length.
void RouteAddPosition(benchmark::State& state) {
    Route r;
    r.device.Put(u"\\Skins\\small.ini",
                 platform::testing::Utf16File(u"[Metrics]\r\nRoutePoints = " +
                                              Number(state.range(0)) + u"\r\n"));
    if (!r.Fill(u"\\Skins\\small.ini")) {
        state.SkipWithError("route did not fill");
        return;
    }
    r.view.RunAction(RouteMapView::AutoMoveOff);
    for (auto _ : state)
        r.view.OnPosition(DriveAt(r.second++));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RouteAddPosition)
    ->Arg(1000)
    ->Arg(RouteMapView::MaxRoutePoints)
    ->Unit(benchmark::kNanosecond);

// A step of the map window: every point projected again, the next frame
// draws the track anew.
void RouteMoveWindow(benchmark::State& state) {
    Route r;
    if (!r.Fill(u"\\Skins\\route.ini")) {
        state.SkipWithError("route did not fill");
        return;
    }
    int action = RouteMapView::StepLeft;
    for (auto _ : state) {
        r.view.RunAction(action);
        action =
            action == RouteMapView::StepLeft ? RouteMapView::StepRight : RouteMapView::StepLeft;
        r.view.Draw(*r.backBuffer, 0, 0);
        benchmark::DoNotOptimize(r.backBuffer->Surface());
    }
}
BENCHMARK(RouteMoveWindow)->Unit(benchmark::kMillisecond);

// The map re-centred on the standpoint: the whole track projected around
// the new reference, and drawn anew.
void RouteRecentre(benchmark::State& state) {
    Route r;
    if (!r.Fill(u"\\Skins\\route.ini")) {
        state.SkipWithError("route did not fill");
        return;
    }
    for (auto _ : state) {
        r.view.RunAction(RouteMapView::CentreOnStandpoint);
        r.view.Draw(*r.backBuffer, 0, 0);
        benchmark::DoNotOptimize(r.backBuffer->Surface());
    }
}
BENCHMARK(RouteRecentre)->Unit(benchmark::kMillisecond);

void SpeedoFrameBeside(benchmark::State& state) {
    BenchDevice device;
    Screen screen(nullptr, Width, Height);
    SpeedoView view(screen, Width, Height);
    if (!view.Load(u"\\Skins\\speedo.ini")) {
        state.SkipWithError("speedo skin did not load");
        return;
    }
    auto backBuffer = platform::Canvas::Create(Width, Height);
    int32_t speed = 0;
    for (auto _ : state) {
        view.OnSpeed(speed);
        speed = (speed + 7) % 2200;
        view.Draw(*backBuffer, 0, 0);
        benchmark::DoNotOptimize(backBuffer->Surface());
    }
}
BENCHMARK(SpeedoFrameBeside)->Unit(benchmark::kMicrosecond);

} // namespace
