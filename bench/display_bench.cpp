// Cost of one frame of the dashboard at 800 x 480: drawing an "Empty" view
// with a bitmap background and three text overlays into the back buffer, and
// copying that buffer to the window's surface.
#include "display/Screen.h"
#include "display/TextOverlay.h"
#include "instruments/BackgroundView.h"
#include "instruments/EmptyViewEntry.h"

#include "platform/canvas.h"
#include "platform/host.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace velvane;

constexpr int Width = 800;
constexpr int Height = 480;

// A scratch device tree holding the skins, removed at exit.
class BenchDevice {
public:
    BenchDevice() {
        std::string templ = (fs::temp_directory_path() / "display-bench-XXXXXX").string();
        if (!mkdtemp(templ.data()))
            std::abort();
        m_root = templ;
        platform::HostSettings host;
        host.root = m_root;
        host.registry = m_root / ".registry";
        host.backend = platform::BackendKind::Headless;
        host.screenWidth = Width;
        host.screenHeight = Height;
        host.programFile = u"\\Program Files\\Velvane\\Velvane.exe";
        platform::Initialize(host);
        fs::create_directories(m_root / "Skins");

        PutIni("Skins/sky.ini", u"[Background]\r\nImage = sky.bmp\r\n");
        PutIni("Skins/a.ini", u"[Settings]\r\nX = 10\r\nY = 10\r\nSize = 60\r\nColor = FFFFFF\r\n");
        PutIni("Skins/b.ini",
               u"[Settings]\r\nX = -10\r\nY = -10\r\nSize = 40\r\nColor = FFFF00\r\n");
        PutIni("Skins/c.ini", u"[Settings]\r\nX = -10\r\nY = 10\r\nSize = 32\r\nWeight = 700\r\n");
        PutSkyBitmap("Skins/sky.bmp", 320, 192);
    }
    ~BenchDevice() {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

private:
    void PutIni(const std::string& relative, std::u16string_view text) {
        std::ofstream out(m_root / relative, std::ios::binary);
        out.write("\xFF\xFE", 2);
        for (char16_t c : text)
            out.put(char(c & 0xFF)), out.put(char(c >> 8));
    }
    // A 24-bit gradient, smaller than the screen so every frame stretches it.
    void PutSkyBitmap(const std::string& relative, int w, int h) {
        const int stride = (w * 3 + 3) / 4 * 4;
        std::string b = "BM";
        auto u16 = [&b](uint32_t v) { b += char(v & 0xFF), b += char((v >> 8) & 0xFF); };
        auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
        u32(54 + stride * h), u32(0), u32(54);
        u32(40), u32(w), u32(h), u16(1), u16(24), u32(0), u32(stride * h), u32(2835), u32(2835),
            u32(0), u32(0);
        for (int y = h - 1; y >= 0; --y) {
            std::string row;
            for (int x = 0; x < w; ++x)
                row += char(150 + x / 4), row += char(90 + y / 2), row += char(40 + y / 2);
            row.resize(stride, '\0');
            b += row;
        }
        std::ofstream(m_root / relative, std::ios::binary) << b;
    }

    fs::path m_root;
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
    EmptyViewEntry entry(screen, nullptr);
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
