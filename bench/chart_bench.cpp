// Cost of a chart at 800 x 480 with the longest history its settings allow
// (a day of samples beyond one screen, one pixel a column): a frame at zoom 1
// and 8, the cost of one new sample at small and large capacities, and the
// speedometer's frame in the same run for comparison.
#include "display/Screen.h"
#include "instruments/ChartTypes.h"
#include "instruments/SpeedoView.h"

#include "platform/canvas.h"
#include "platform/testing/temp_device.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace velvane;

constexpr int Width = 800;
constexpr int Height = 480;

std::u16string Number(int v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

class BenchDevice : public platform::testing::TempDevice {
public:
    BenchDevice() : TempDevice(u"\\Program Files\\Velvane\\Velvane.exe", Width, Height) {
        Put(u"\\Skins\\speedo.ini",
            platform::testing::Utf16File(
                u"[AnalogMetrics]\r\nX = 400\r\nY = 300\r\nRadius = 260\r\nNeedleStyle = 2\r\n"
                u"TwoColored = 1\r\nDigitSize = 32\r\n\r\n[DigitalMetrics]\r\nX = 400\r\nY = "
                u"420\r\n"));
    }
    // A chart skin with this much history, one pixel a column.
    void Chart(int additionalValues, int zoom) {
        Put(u"\\Skins\\chart.ini",
            platform::testing::Utf16File(u"[Background]\r\nColor = 102030\r\n[ChartMetrics]\r\n"
                                         u"dValues = 0\r\nValueWidth = 1\r\n[Controls]\r\n"
                                         u"AdditionalValues = " +
                                         Number(additionalValues) + u"\r\nZoom = " + Number(zoom) +
                                         u"\r\n[Autoscale]\r\nMinValue = 0\r\nMaxValue = 200\r\n"));
    }
};

// A drive's worth of speeds: up and down between 0 and 200 km/h.
int32_t SpeedAt(int64_t i) {
    const int64_t t = i % 400;
    return static_cast<int32_t>(t < 200 ? t : 400 - t);
}

std::unique_ptr<ChartEngine> FullChart(BenchDevice& device, Screen& screen, ChartType type,
                                       int additionalValues, int zoom) {
    device.Chart(additionalValues, zoom);
    auto chart = CreateChart(type, screen, Width, Height, u"[km/h]");
    if (!chart->Load(u"\\Skins\\chart.ini"))
        return nullptr;
    for (int i = 0; i < chart->Capacity(); ++i)
        chart->AddValue(SpeedAt(i));
    return chart;
}

// Arguments: chart type (0 bar, 2 line), zoom; the control bar shown when
// the third is 1.
void ChartFrame(benchmark::State& state) {
    BenchDevice device;
    Screen screen(nullptr, Width, Height);
    auto chart = FullChart(device, screen, static_cast<ChartType>(state.range(0)),
                           ChartEngine::MaxAdditionalValues, static_cast<int>(state.range(1)));
    if (!chart) {
        state.SkipWithError("chart skin did not load");
        return;
    }
    if (state.range(2) == 1)
        chart->OnKey(13);
    auto backBuffer = platform::Canvas::Create(Width, Height);
    int64_t i = chart->Capacity();
    for (auto _ : state) {
        // A new value every frame, as when the receiver drives it.
        chart->AddValue(SpeedAt(i++));
        chart->Draw(*backBuffer, 0, 0);
        benchmark::DoNotOptimize(backBuffer->Surface());
    }
    state.counters["capacity"] = chart->Capacity();
    state.counters["columns"] = chart->GetLayout().columns;
    state.counters["buffer_bytes"] = static_cast<double>(chart->BufferBytes());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ChartFrame)
    ->ArgNames({"type", "zoom", "bar"})
    ->Args({0, 1, 0})
    ->Args({0, 8, 0})
    ->Args({0, 1, 1})
    ->Args({2, 1, 0})
    ->Args({2, 8, 0})
    ->Unit(benchmark::kMicrosecond);

// One new sample into a full buffer of AdditionalValues + columns.
void ChartNewSample(benchmark::State& state) {
    BenchDevice device;
    Screen screen(nullptr, Width, Height);
    auto chart = FullChart(device, screen, ChartType::Bar, static_cast<int>(state.range(0)), 1);
    if (!chart) {
        state.SkipWithError("chart skin did not load");
        return;
    }
    int64_t i = 0;
    for (auto _ : state)
        chart->AddValue(SpeedAt(i++));
    state.counters["capacity"] = chart->Capacity();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ChartNewSample)
    ->ArgName("additional")
    ->Arg(500)
    ->Arg(ChartEngine::MaxAdditionalValues)
    ->Unit(benchmark::kNanosecond);

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
        view.OnSpeed(speed);
        speed = (speed + 7) % 2200;
        view.Draw(*backBuffer, 0, 0);
        benchmark::DoNotOptimize(backBuffer->Surface());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SpeedoFrame)->Unit(benchmark::kMicrosecond);

} // namespace
