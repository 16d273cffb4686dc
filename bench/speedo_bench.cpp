// Cost of the speedometer at 800 x 480: one frame (background copy, digital
// number, needle) and one rebuild of the background (ticks, numbers, unit).
#include "display/Screen.h"
#include "instruments/SpeedoView.h"

#include "platform/canvas.h"
#include "platform/host.h"

#include <benchmark/benchmark.h>

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

// A scratch device tree with one skin, removed at exit.
class BenchDevice {
public:
    BenchDevice() {
        std::string templ = (fs::temp_directory_path() / "speedo-bench-XXXXXX").string();
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
        // Shadowed needle and outlined scale: the dearest styles.
        PutIni(
            "Skins/speedo.ini",
            u"[AnalogMetrics]\r\nX = 400\r\nY = 300\r\nRadius = 260\r\nNeedleStyle = 2\r\n"
            u"TwoColored = 1\r\nDigitSize = 32\r\n\r\n[DigitalMetrics]\r\nX = 400\r\nY = 420\r\n");
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

    fs::path m_root;
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
