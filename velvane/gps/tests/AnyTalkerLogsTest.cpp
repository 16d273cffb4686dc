// The real receiver logs of today's receivers, which talk as $GN, $GL, $GA,
// $GB, $BD, $GQ or $GI: with "AnyTalker" their RMC and VTG sentences give
// speeds like $GP ones; without it they give none.
#include "gps/GpsReceiver.h"
#include "gps/SpeedSource.h"

#include "platform/headless.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

using namespace velvane;
namespace fs = std::filesystem;

namespace {

const fs::path LogFolder = fs::path(SUITE_SHARED_DIR) / "nmea";

struct Speeds : SpeedListener {
    std::vector<int32_t> values;
    void OnSpeed(int32_t speed) override { values.push_back(speed); }
};

struct Delivered {
    Speeds rmc, vtg;
};

// The whole log through a replayed port and the receiver, with or without
// "AnyTalker".
Delivered Replay(const fs::path& log, bool anyTalker) {
    platform::testing::TempDevice device;
    platform::HostSettings host = platform::Host();
    host.ports = "COM1=replay:" + log.string() + ",speed=1000000";
    platform::Initialize(host);
    device.Put(u"\\gps.ini", platform::testing::Utf16File(
                                 anyTalker ? u"[GPS-Settings]\r\nComPort = 1\r\nAnyTalker = y\r\n"
                                           : u"[GPS-Settings]\r\nComPort = 1\r\n"));
    Delivered out;
    RmcSpeedSource rmc;
    VtgSpeedSource vtg;
    rmc.AddListener(&out.rmc);
    vtg.AddListener(&out.vtg);
    GpsReceiver receiver(nullptr);
    receiver.AddSentenceListener(&rmc);
    receiver.AddSentenceListener(&vtg);
    EXPECT_TRUE(receiver.Load(u"\\gps.ini")) << log.string();
    platform::headless::AdvanceClock(1000);
    receiver.Poll();
    return out;
}

// Lines of another talker than $GP with this sentence type, counted from the
// log's text; and whether one of them has a speed above 0 in field 7.
struct Count {
    int lines = 0;
    bool moving = false;
};

Count OtherTalkerLines(const std::string& text, const char* type) {
    const std::regex line(std::string(R"(^\$(G[ABILNQ]|BD))") + type +
                          R"(,([^,\r\n]*,){6}([0-9.]*))");
    Count count;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::smatch m;
        const std::string one = text.substr(start, end - start);
        if (std::regex_search(one, m, line)) {
            ++count.lines;
            if (!m[3].str().empty() && std::stod(m[3].str()) > 0)
                count.moving = true;
        }
        start = end + 1;
    }
    return count;
}

TEST(AnyTalkerLogs, SpeedsOfEveryTalkerArriveOnlyWithAnyTalker) {
    if (!fs::is_directory(LogFolder))
        GTEST_SKIP() << "the shared receiver logs are not here (" << LogFolder.string() << ")";
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(LogFolder))
        if (entry.path().extension() == ".nmea")
            logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());

    int tried = 0;
    for (const fs::path& log : logs) {
        std::ifstream in(log, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        const Count rmc = OtherTalkerLines(text, "RMC");
        const Count vtg = OtherTalkerLines(text, "VTG");
        if (rmc.lines == 0 && vtg.lines == 0)
            continue;
        ++tried;
        const Delivered off = Replay(log, false);
        const Delivered on = Replay(log, true);
        const std::string name = log.filename().string();
        EXPECT_EQ(on.rmc.values.size() - off.rmc.values.size(), size_t(rmc.lines)) << name;
        EXPECT_EQ(on.vtg.values.size() - off.vtg.values.size(), size_t(vtg.lines)) << name;
        const auto moving = [](const Speeds& s) {
            return std::any_of(s.values.begin(), s.values.end(), [](int32_t v) { return v > 0; });
        };
        if (rmc.moving) {
            EXPECT_TRUE(moving(on.rmc)) << name << ": no RMC speed above 0 arrived";
        }
        if (vtg.moving) {
            EXPECT_TRUE(moving(on.vtg)) << name << ": no VTG speed above 0 arrived";
        }
    }
    EXPECT_GE(tried, 5) << "fewer logs of other talkers than expected in " << LogFolder.string();
}

} // namespace
