// The real receiver logs run through the receiver into the overlays that read
// whole sentences; what they show after each sentence must equal the expected
// output kept in golden/overlays/. Rewrite it after an intended change with
//   VELVANE_WRITE_GOLDEN=1 velvane_instruments_tests --gtest_filter='OverlaysGolden.*'
// and review the diff before committing it.
#include "instruments/Compass.h"
#include "instruments/Hdop.h"
#include "instruments/SatCount.h"
#include "instruments/UniversalGps.h"

#include "display/Screen.h"
#include "gps/GpsReceiver.h"

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace velvane;
namespace fs = std::filesystem;

namespace {

const fs::path GoldenFolder =
    fs::path(SUITE_SOURCE_DIR) / "velvane/instruments/tests/golden/overlays";

std::string Shown(TextOverlay& overlay) {
    char16_t buffer[64];
    const int n = overlay.FormatText(buffer, 64);
    return platform::ToUtf8(std::u16string_view(buffer, static_cast<size_t>(n)));
}

// Registered after the overlays: notes what they show once a sentence has
// reached all of them, one line per change.
class Watcher : public SentenceListener {
public:
    Watcher(Compass& compass, SatCount& sats, Hdop& bars, UniversalGps& field)
        : m_compass(compass), m_sats(sats), m_bars(bars), m_field(field) {}
    void OnRMC(std::string_view) override { Note(); }
    void OnGGA(std::string_view) override { Note(); }
    void OnGSV(std::string_view) override { Note(); }
    void OnVTG(std::string_view) override { Note(); }
    void OnGSA(std::string_view) override { Note(); }
    void OnOther(std::string_view) override { Note(); }
    std::string text;

private:
    void Note() {
        const std::string line = "compass=" + Shown(m_compass) + " sats=" + Shown(m_sats) +
                                 " bars=" + std::to_string(m_bars.BarsLit()) +
                                 " gga9=" + Shown(m_field) + "\n";
        if (line != m_last)
            text += line;
        m_last = line;
    }
    Compass& m_compass;
    SatCount& m_sats;
    Hdop& m_bars;
    UniversalGps& m_field;
    std::string m_last;
};

std::optional<std::string> Shows(const fs::path& log) {
    platform::testing::TempDevice device;
    platform::HostSettings host = platform::Host();
    host.ports = "COM1=replay:" + log.string() + ",speed=1000000";
    platform::Initialize(host);
    device.Put(u"\\gps.ini", platform::testing::Utf16File(u"[GPS-Settings]\r\nComPort = 1\r\n"));
    device.Put(u"\\field.ini",
               platform::testing::Utf16File(u"[GPS-Info]\r\nSentence = GPGGA\r\nIndex = 9\r\n"));

    Screen screen(nullptr, 480, 272);
    Compass compass(screen, 480, 272);
    SatCount sats(screen, 480, 272);
    Hdop bars(screen, 480, 272);
    UniversalGps field(screen, 480, 272);
    if (!field.Load(u"\\field.ini"))
        return std::nullopt;
    Watcher watcher(compass, sats, bars, field);
    GpsReceiver receiver(nullptr);
    for (SentenceListener* l :
         std::initializer_list<SentenceListener*>{&compass, &sats, &bars, &field, &watcher})
        receiver.AddSentenceListener(l);
    if (!receiver.Load(u"\\gps.ini"))
        return std::nullopt;
    platform::headless::AdvanceClock(1000);
    receiver.Poll();
    return "# " + log.filename().string() + ": compass, satellites, reception bars, GGA field 9\n" +
           watcher.text;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(OverlaysGolden, EveryReceiverLogShowsItsExpectedTexts) {
    const fs::path logFolder = platform::testing::SharedNmeaDir();
    if (logFolder.empty())
        GTEST_SKIP() << "the shared receiver logs are not here; set SUITE_SHARED_DIR when "
                        "configuring to run this test";
    const bool write = std::getenv("VELVANE_WRITE_GOLDEN") != nullptr;
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(logFolder))
        if (entry.path().extension() == ".nmea")
            logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    ASSERT_FALSE(logs.empty()) << logFolder.string();
    if (write)
        fs::create_directories(GoldenFolder);

    for (const fs::path& log : logs) {
        const fs::path golden = GoldenFolder / log.filename().replace_extension(".txt");
        const std::optional<std::string> shown = Shows(log);
        ASSERT_TRUE(shown) << "the receiver did not start on " << log.string();
        if (write) {
            std::ofstream(golden, std::ios::binary) << *shown;
            continue;
        }
        ASSERT_TRUE(fs::exists(golden)) << "no expected output for " << log.filename().string();
        // The first differing line, not both files whole.
        const std::string want = Read(golden);
        size_t at = 0;
        while (at < want.size() && at < shown->size() && want[at] == (*shown)[at])
            ++at;
        const size_t lineStart = want.rfind('\n', at == 0 ? 0 : at - 1);
        const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
        EXPECT_TRUE(want == *shown)
            << log.filename().string() << ": expected \""
            << want.substr(from, want.find('\n', from) - from) << "\", got \""
            << shown->substr(from, shown->find('\n', from) - from) << "\"";
    }
    for (const auto& entry : fs::directory_iterator(GoldenFolder))
        EXPECT_TRUE(fs::exists(logFolder / entry.path().filename().replace_extension(".nmea")))
            << "no receiver log for " << entry.path().string();
}

} // namespace
