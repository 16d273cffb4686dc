// The cost of the NMEA log per received line (lamp bookkeeping, the check
// that the file is still there, one write to the system), and of pushing two
// seconds of a 10 Hz receiver's lines to the medium. The folder is the host's
// temporary one (TMPDIR), so run it where the logs would live to measure that
// medium.
#include "display/Screen.h"
#include "gps/LogOutputFile.h"
#include "instruments/FullLog.h"

#include "platform/testing/temp_device.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

using namespace velvane;

namespace {

const std::string Gga = "$GPGGA,235500.00,5418.3948,N,00939.7872,E,1,08,1.12,4.0,M,40.1,M,,*51\r\n";
// A 10 Hz receiver sending RMC, VTG, GGA, GSA and three GSV each epoch.
constexpr int LinesPerSecond = 70;

struct Folder {
    platform::testing::TempDevice device;
    Folder() {
        std::filesystem::create_directories(device.HostPath(u"\\Logs"));
        device.Put(u"\\full.ini",
                   platform::testing::Utf16File(u"[Settings]\r\nLogFile = \\Logs\\bench.nmea\r\n"
                                                u"[Log]\r\nGGA = y\r\n"));
    }
};

void BM_FullLogLine(benchmark::State& state) {
    Folder folder;
    Screen screen(nullptr, 480, 272);
    FullLog log(screen, 480, 272);
    if (!log.Load(u"\\full.ini") || log.Recorder().FileName().empty()) {
        state.SkipWithError("cannot open the log");
        return;
    }
    for (auto _ : state)
        log.OnGGA(Gga);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Gga.size()));
}
BENCHMARK(BM_FullLogLine);

// Two seconds of lines, then the sync the log does every two seconds.
void BM_TwoSecondsThenSync(benchmark::State& state) {
    Folder folder;
    auto file = LogOutputFile::Open(u"\\Logs\\sync.nmea");
    if (!file) {
        state.SkipWithError("cannot open the log");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < 2 * LinesPerSecond; ++i)
            file->Write(Gga.data(), static_cast<uint32_t>(Gga.size()));
        file->Sync();
    }
    state.counters["syncs/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TwoSecondsThenSync)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
