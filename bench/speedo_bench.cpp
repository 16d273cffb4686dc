// Cost of the speedometer at 800 x 480: one frame (background copy, digital
// number, needle) and one rebuild of the background (ticks, numbers, unit).
#include "display/Screen.h"
#include "instruments/SpeedoView.h"

#include "platform/canvas.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace velvane;

constexpr int Width = 800;
constexpr int Height = 480;

// A scratch device tree with one skin, removed at the end.
class BenchDevice : public platform::testing::TempDevice {
public:
    BenchDevice() : TempDevice(u"\\Program Files\\Velvane\\Velvane.exe", Width, Height) {
        // Shadowed needle and outlined scale: the dearest styles.
        Put(u"\\Skins\\speedo.ini",
            platform::testing::Utf16File(
                u"[AnalogMetrics]\r\nX = 400\r\nY = 300\r\nRadius = 260\r\nNeedleStyle = 2\r\n"
                u"TwoColored = 1\r\nDigitSize = 32\r\n\r\n[DigitalMetrics]\r\nX = 400\r\nY = "
                u"420\r\n"));
    }
};

void SpeedoFrame(benchmark::State& state) {
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
        // A new value every frame, as when the receiver drives it.
        view.OnSpeed(speed);
        speed = (speed + 7) % 2200;
        view.Draw(*backBuffer, 0, 0);
        benchmark::DoNotOptimize(backBuffer->Surface());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SpeedoFrame)->Unit(benchmark::kMicrosecond);

void SpeedoBackgroundRebuild(benchmark::State& state) {
    BenchDevice device;
    Screen screen(nullptr, Width, Height);
    SpeedoView view(screen, Width, Height);
    if (!view.Load(u"\\Skins\\speedo.ini")) {
        state.SkipWithError("speedo skin did not load");
        return;
    }
    for (auto _ : state) {
        view.Resize(Width, Height);
        benchmark::DoNotOptimize(view.Surface());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SpeedoBackgroundRebuild)->Unit(benchmark::kMicrosecond);

} // namespace
