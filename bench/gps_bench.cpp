// Lines per second through the whole receive path: a replayed port, cutting at
// CR LF, dispatch, and the speed, altitude and position sources, over the
// shared receiver logs. Heap allocations are counted; none may happen per line.
#include "gps/AltitudeSource.h"
#include "gps/GpsReceiver.h"
#include "gps/SpeedSource.h"
#include "instruments/PositionSource.h"
#include "platform/headless.h"
#include "platform/host.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#ifndef SUITE_SHARED_DIR
#define SUITE_SHARED_DIR "../shared"
#endif

namespace {
std::atomic<uint64_t> g_allocations{0};
}

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace velvane;

namespace {

struct Sink : SentenceListener, SpeedListener, AltitudeListener, PositionListener {
    uint64_t lines = 0;
    int64_t sum = 0;
    void OnRMC(std::string_view) override { ++lines; }
    void OnGGA(std::string_view) override { ++lines; }
    void OnGSV(std::string_view) override { ++lines; }
    void OnVTG(std::string_view) override { ++lines; }
    void OnGSA(std::string_view) override { ++lines; }
    void OnOther(std::string_view) override { ++lines; }
    void OnSpeed(int32_t v) override { sum += v; }
    void OnAltitude(int32_t v) override { sum += v; }
    void OnPosition(const GeoPosition& p) override { sum += p.Latitude(); }
};

// The receiver with the speed, altitude and position sources and a sink
// behind them all, as the dashboard wires them.
struct Wiring {
    GpsReceiver receiver{nullptr};
    RmcSpeedSource rmc;
    VtgSpeedSource vtg;
    AltitudeSource altitude;
    PositionSource position;
    Sink sink;
    Wiring() {
        for (auto* source :
             std::initializer_list<SentenceListener*>{&rmc, &vtg, &altitude, &position})
            receiver.AddSentenceListener(source);
        receiver.AddSentenceListener(&sink);
        rmc.AddListener(&sink);
        vtg.AddListener(&sink);
        altitude.AddListener(&sink);
        position.AddListener(&sink);
    }
};

void ReceivePath(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path logs = fs::path(SUITE_SHARED_DIR) / "nmea";
    if (!fs::is_directory(logs)) {
        state.SkipWithError("the shared receiver logs (../shared/nmea) are not here");
        return;
    }
    const fs::path root = fs::temp_directory_path() / "gps-bench-device";
    fs::create_directories(root);
    {
        std::ofstream all(root / "all.nmea", std::ios::binary);
        for (const auto& entry : fs::directory_iterator(logs))
            if (entry.path().extension() == ".nmea") {
                std::ifstream in(entry.path(), std::ios::binary);
                all << in.rdbuf();
            }
        std::ofstream ini(root / "gps.ini", std::ios::binary);
        const std::u16string text =
            u"\uFEFF[GPS-Settings]\r\nComPort = 1\r\nBaudRate = 4800\r\nBufferSize = 4096\r\n";
        for (char16_t c : text)
            ini.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
    }
    platform::HostSettings host;
    host.root = root;
    host.registry = root / ".registry";
    host.backend = platform::BackendKind::Headless;
    // After one second of the virtual clock every line of the logs is due.
    host.ports = "COM1=replay:" + (root / "all.nmea").string() + ",speed=1000000";
    platform::Initialize(host);

    Wiring wired;
    GpsReceiver& receiver = wired.receiver;
    Sink& sink = wired.sink;
    uint64_t allocations = 0;
    for (auto _ : state) {
        // Each round replays all logs once; opening the port is not measured.
        state.PauseTiming();
        if (!receiver.Load(u"\\gps.ini")) {
            state.SkipWithError("the replayed port did not open");
            return;
        }
        platform::headless::AdvanceClock(1000);
        const uint64_t before = g_allocations;
        state.ResumeTiming();
        receiver.Poll();
        allocations += g_allocations - before;
    }
    benchmark::DoNotOptimize(sink.sum);
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(sink.lines), benchmark::Counter::kIsRate);
    state.counters["lines"] = static_cast<double>(sink.lines);
    state.counters["allocs/line"] =
        sink.lines ? static_cast<double>(allocations) / sink.lines : 0.0;
    fs::remove_all(root);
}

BENCHMARK(ReceivePath)->Unit(benchmark::kMillisecond);

// The shared logs' sentences, cut at CR LF once, for the benchmarks below
// that leave the port out.
std::vector<std::string> SharedLines() {
    namespace fs = std::filesystem;
    std::vector<std::string> lines;
    const fs::path logs = fs::path(SUITE_SHARED_DIR) / "nmea";
    if (!fs::is_directory(logs))
        return lines;
    for (const auto& entry : fs::directory_iterator(logs)) {
        if (entry.path().extension() != ".nmea")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line + "\r\n");
        }
    }
    return lines;
}

// Dispatch and the four sources on lines already cut: what the receiver
// itself costs per line, without the replay reading its file.
void DispatchPath(benchmark::State& state) {
    const std::vector<std::string> lines = SharedLines();
    if (lines.empty()) {
        state.SkipWithError("the shared receiver logs (../shared/nmea) are not here");
        return;
    }
    Wiring wired;
    GpsReceiver& receiver = wired.receiver;
    Sink& sink = wired.sink;
    const uint64_t before = g_allocations;
    for (auto _ : state)
        for (const std::string& line : lines)
            receiver.DispatchLine(line);
    benchmark::DoNotOptimize(sink.sum);
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(sink.lines), benchmark::Counter::kIsRate);
    state.counters["allocs/line"] =
        sink.lines ? static_cast<double>(g_allocations - before) / sink.lines : 0.0;
}

// The floor for the same bytes: finding each line's end, nothing more.
void LineEndFloor(benchmark::State& state) {
    const std::vector<std::string> lines = SharedLines();
    if (lines.empty()) {
        state.SkipWithError("the shared receiver logs (../shared/nmea) are not here");
        return;
    }
    uint64_t count = 0;
    for (auto _ : state)
        for (const std::string& line : lines) {
            benchmark::DoNotOptimize(std::memchr(line.data(), '\n', line.size()));
            ++count;
        }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsRate);
}

BENCHMARK(DispatchPath)->Unit(benchmark::kMillisecond);
BENCHMARK(LineEndFloor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
