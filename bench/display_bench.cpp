// Cost of one frame of the dashboard at 800 x 480: drawing an "Empty" view
// with a bitmap background and three text overlays into the back buffer, and
// copying that buffer to the window's surface.
#include "display/Screen.h"
#include "display/TextOverlay.h"
#include "instruments/BackgroundView.h"

#include "platform/canvas.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

using namespace velvane;

constexpr int Width = 800;
constexpr int Height = 480;

// A scratch device tree holding the skins, removed at the end.
class BenchDevice : public platform::testing::TempDevice {
public:
    BenchDevice() : TempDevice(u"\\Program Files\\Velvane\\Velvane.exe", Width, Height) {
        using platform::testing::Utf16File;
        Put(u"\\Skins\\sky.ini", Utf16File(u"[Background]\r\nImage = sky.bmp\r\n"));
        Put(u"\\Skins\\a.ini",
            Utf16File(u"[Settings]\r\nX = 10\r\nY = 10\r\nSize = 60\r\nColor = FFFFFF\r\n"));
        Put(u"\\Skins\\b.ini",
            Utf16File(u"[Settings]\r\nX = -10\r\nY = -10\r\nSize = 40\r\nColor = FFFF00\r\n"));
        Put(u"\\Skins\\c.ini",
            Utf16File(u"[Settings]\r\nX = -10\r\nY = 10\r\nSize = 32\r\nWeight = 700\r\n"));
        // A gradient smaller than the screen, so every frame stretches it.
        Put(u"\\Skins\\sky.bmp", platform::testing::Bmp24File(320, 192, [](int x, int y) {
                return platform::Rgb(40 + y / 2, 90 + y / 2, 150 + x / 4);
            }));
    }
};

class Label : public TextOverlay {
public:
    Label(Screen& s, std::u16string text)
        : TextOverlay(s, s.Width(), s.Height()), m_text(std::move(text)) {}
    int FormatText(char16_t* buffer, int capacity) override {
        const int n = std::min<int>(static_cast<int>(m_text.size()), capacity);
        std::copy_n(m_text.data(), n, buffer);
        return n;
    }

private:
    std::u16string m_text;
};

void ScreenDrawEmptyViewWithThreeOverlays(benchmark::State& state) {
    BenchDevice device;
    Screen screen(nullptr, Width, Height);
    ComponentEntryOf<BackgroundView> entry(screen, nullptr, BackgroundView::Class);
    entry.Activate();
    if (!entry.LoadIni(u"\\Skins\\sky.ini")) {
        state.SkipWithError("background skin did not load");
        return;
    }
    Label a(screen, u"123 km/h"), b(screen, u"12:34"), c(screen, u"Vmax 88");
    a.Load(u"\\Skins\\a.ini");
    b.Load(u"\\Skins\\b.ini");
    c.Load(u"\\Skins\\c.ini");
    screen.SetTop(nullptr);
    screen.SetView(entry.GetDrawable());
    screen.AddOverlay(&a);
    screen.AddOverlay(&b);
    screen.AddOverlay(&c);
    auto backBuffer = platform::Canvas::Create(Width, Height);
    for (auto _ : state) {
        screen.Draw(*backBuffer, 0, 0);
        benchmark::DoNotOptimize(backBuffer->Surface());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ScreenDrawEmptyViewWithThreeOverlays)->Unit(benchmark::kMicrosecond);

void CopyFullFrame(benchmark::State& state) {
    auto backBuffer = platform::Canvas::Create(Width, Height);
    auto window = platform::Canvas::Create(Width, Height);
    backBuffer->FillRect({0, 0, Width, Height}, platform::Rgb(10, 20, 30));
    for (auto _ : state) {
        window->BitBlt(0, 0, Width, Height, *backBuffer, 0, 0);
        benchmark::DoNotOptimize(window->Surface());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CopyFullFrame)->Unit(benchmark::kMicrosecond);

} // namespace
