// One frame of the dashboard costs a fill, a few lines of text and one copy
// of the back buffer to the window; these measure each at the 800x480 size.
#include "platform/canvas.h"

#include <benchmark/benchmark.h>

using namespace platform;

namespace {

constexpr int Width = 800;
constexpr int Height = 480;

void FillFrame(benchmark::State& state) {
    auto canvas = Canvas::Create(Width, Height);
    Color color = 0;
    for (auto _ : state) {
        canvas->FillRect({0, 0, Width, Height}, color);
        color ^= 0x00FFFFFF;
        benchmark::DoNotOptimize(canvas->Surface());
    }
}
BENCHMARK(FillFrame)->Unit(benchmark::kMicrosecond);

void ThreeLinesOfText(benchmark::State& state) {
    auto canvas = Canvas::Create(Width, Height);
    canvas->SelectFont(Font::Create(24, 700, u"Arial"));
    canvas->SetBackgroundMode(BackgroundMode::Transparent);
    for (auto _ : state) {
        Rect r{10, 10, Width - 10, 40};
        canvas->DrawText(u"Geschwindigkeit 123.4 km/h", r, TextFlag::SingleLine | TextFlag::Center);
        r = r.Offset(0, 30);
        canvas->DrawText(u"Höhe 512 m  HDOP 1.2", r, TextFlag::SingleLine | TextFlag::Right);
        r = r.Offset(0, 30);
        canvas->DrawText(u"Fahrzeit 01:23:45", r, TextFlag::SingleLine);
        benchmark::DoNotOptimize(canvas->Surface());
    }
}
BENCHMARK(ThreeLinesOfText)->Unit(benchmark::kMicrosecond);

void CopyFrame(benchmark::State& state) {
    auto source = Canvas::Create(Width, Height);
    auto target = Canvas::Create(Width, Height);
    source->FillRect({100, 100, 300, 300}, Rgb(255, 0, 0));
    for (auto _ : state)
        target->BitBlt(0, 0, Width, Height, *source, 0, 0);
}
BENCHMARK(CopyFrame)->Unit(benchmark::kMicrosecond);

void StretchFrame(benchmark::State& state) {
    auto source = Canvas::Create(Width / 2, Height / 2);
    auto target = Canvas::Create(Width, Height);
    for (auto _ : state)
        target->StretchBlt({0, 0, Width, Height}, *source);
}
BENCHMARK(StretchFrame)->Unit(benchmark::kMicrosecond);

void NeedleAndDial(benchmark::State& state) {
    auto canvas = Canvas::Create(Width, Height);
    canvas->SelectPen(Pen::Solid(3, Rgb(255, 0, 0)));
    canvas->SelectBrush(Brush::Solid(Rgb(255, 0, 0)));
    for (auto _ : state) {
        canvas->MoveTo(400, 240);
        canvas->LineTo(600, 100);
        canvas->Ellipse(390, 230, 410, 250);
        benchmark::DoNotOptimize(canvas->Surface());
    }
}
BENCHMARK(NeedleAndDial)->Unit(benchmark::kMicrosecond);

} // namespace
