#include "gps/SpeedSource.h"
#include "gps/SpeedWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace velvane;

namespace {

struct Recorder : SpeedListener {
    std::vector<int32_t> speeds;
    void OnSpeed(int32_t speed) override { speeds.push_back(speed); }
};

// Knots with two decimals, as receivers send them; empty for no speed.
std::string Rmc(double knots) {
    char line[96];
    if (knots < 0)
        std::snprintf(line, sizeof line, "$GPRMC,120000,V,4807.038,N,01131.000,E,,,230394,,*00");
    else
        std::snprintf(line, sizeof line,
                      "$GPRMC,120000,A,4807.038,N,01131.000,E,%.2f,084.4,230394,,*00", knots);
    return line;
}

std::string Vtg(double kmh) {
    char line[64];
    if (kmh < 0)
        std::snprintf(line, sizeof line, "$GPVTG,,T,,M,,N,,K*48");
    else
        std::snprintf(line, sizeof line, "$GPVTG,054.7,T,034.4,M,005.5,N,%.1f,K*48", kmh);
    return line;
}

// One second of a receiver: which sentences it sends, in order, for a true
// speed; the two round differently (knots to two places, km/h to one), so
// every value shows where it came from.
struct Epoch {
    bool rmc, vtg;
    bool vtgFirst = false;
    bool vtgEmpty = false;
    bool noFix = false;
};

constexpr int32_t FromRmc = 1; // the last digit of each source's values
constexpr int32_t FromVtg = 2;

// Speeds of RMC end in 1 (tenths of km/h), those of VTG in 2.
void Send(AutoSpeedSource& source, const Epoch& e, int second) {
    const int32_t base = 500 + second * 10;
    const double knots = (base + FromRmc + 0.5) / 18.52; // read back as base + 1
    const double kmh = (base + FromVtg) / 10.0;
    auto rmc = [&] { source.OnRMC(Rmc(e.noFix ? -1 : knots)); };
    auto vtg = [&] { source.OnVTG(Vtg(e.noFix || e.vtgEmpty ? -1 : kmh)); };
    if (e.vtgFirst && e.vtg)
        vtg();
    if (e.rmc)
        rmc();
    if (!e.vtgFirst && e.vtg)
        vtg();
}

// Where each speed came from; 0 for a standstill.
std::vector<int> Sources(const std::vector<int32_t>& speeds) {
    std::vector<int> from;
    for (int32_t s : speeds)
        from.push_back(s == 0 ? 0 : s % 10);
    return from;
}

int Changes(const std::vector<int>& from) {
    int changes = 0;
    for (size_t i = 1; i < from.size(); ++i)
        changes += from[i] != 0 && from[i - 1] != 0 && from[i] != from[i - 1];
    return changes;
}

} // namespace

TEST(AutoSpeedSource, ReadsBackTheSpeedItIsSent) {
    // The test's own encoding first: each source's values end in its digit.
    EXPECT_EQ(RmcSpeedIfGiven(Rmc((531 + 0.5) / 18.52)), 531);
    EXPECT_EQ(VtgSpeedIfGiven(Vtg(53.2)), 532);
    EXPECT_EQ(RmcSpeedIfGiven(Rmc(-1)), std::nullopt);
    EXPECT_EQ(VtgSpeedIfGiven(Vtg(-1)), std::nullopt);
    EXPECT_EQ(VtgSpeedIfGiven("$GPVTG,054.7,T,034.4,M,005.5,N,x,K*48"), std::nullopt);
    EXPECT_EQ(VtgSpeed("$GPVTG,054.7,T,034.4,M,005.5,N,x,K*48"), 0) << "unchanged: 0";
}

TEST(AutoSpeedSource, OneSourceAtATimeWhateverTheReceiverSends) {
    const struct {
        const char* what;
        Epoch epoch;
        std::vector<int> expected; // sources of the 10 speeds, first ones
    } cases[] = {
        {"both, RMC first", {true, true}, std::vector<int>(10, FromRmc)},
        {"both, VTG first", {true, true, true}, std::vector<int>(10, FromVtg)},
        {"only RMC", {true, false}, std::vector<int>(10, FromRmc)},
        {"only VTG", {false, true}, std::vector<int>(10, FromVtg)},
        // Standing still until a speed comes, then RMC alone: no zero between.
        {"VTG without speed, first",
         {true, true, true, true},
         [] {
             std::vector<int> v(11, FromRmc);
             v[0] = 0;
             return v;
         }()},
        {"VTG without speed, after RMC", {true, true, false, true}, std::vector<int>(10, FromRmc)},
        {"no fix", {true, true, false, false, true}, std::vector<int>(10, 0)},
    };
    for (const auto& c : cases) {
        AutoSpeedSource source;
        Recorder recorder;
        source.AddListener(&recorder);
        for (int second = 0; second < 10; ++second)
            Send(source, c.epoch, second);
        const std::vector<int> from = Sources(recorder.speeds);
        std::vector<int> expected = c.expected;
        // Sources that both speak give one value a line only from the one kept.
        EXPECT_EQ(from, expected) << c.what;
        EXPECT_EQ(Changes(from), 0) << c.what;
    }
}

TEST(AutoSpeedSource, TheOtherTakesOverOnlyWhenTheFirstFallsSilent) {
    AutoSpeedSource source;
    Recorder recorder;
    source.AddListener(&recorder);
    int second = 0;
    auto run = [&](Epoch e, int seconds) {
        for (int i = 0; i < seconds; ++i)
            Send(source, e, second++);
    };
    run({true, true, true}, 5); // VTG first: VTG kept
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::VTG);
    // A lone missing VTG is bridged, not switched over.
    run({true, false}, 1);
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::VTG);
    run({true, true, true}, 3);
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::VTG);
    // VTG stays away: after SwitchAfter speeds of RMC since the last of VTG
    // (one of them in VTG's last second), RMC it is.
    run({true, false}, AutoSpeedSource::SwitchAfter - 2);
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::VTG);
    run({true, false}, 1);
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::RMC);
    // VTG back: RMC stays.
    run({true, true, true}, 5);
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::RMC);
    // RMC with an empty speed field counts as silent; the last speed holds
    // meanwhile, no standstill shown.
    for (int i = 0; i < AutoSpeedSource::SwitchAfter; ++i) {
        source.OnRMC(Rmc(-1));
        source.OnVTG(Vtg(60.2));
    }
    EXPECT_EQ(source.Current(), SpeedSource::Protocol::VTG);

    const std::vector<int> from = Sources(recorder.speeds);
    EXPECT_EQ(Changes(from), 2) << "once to RMC, once back to VTG";
    const size_t vtgAlone = 5 + 3;
    // Speeds while VTG was away are held back until RMC takes over, and the
    // speed of the switch is the RMC one.
    ASSERT_GE(from.size(), vtgAlone + 1);
    for (size_t i = 0; i < vtgAlone; ++i)
        EXPECT_EQ(from[i], FromVtg) << i;
    EXPECT_EQ(from[vtgAlone], FromRmc);
    EXPECT_EQ(std::count(from.begin(), from.end(), 0), 0) << "no standstill in between";

    // Both without a speed (the fix lost): standing still once a second.
    recorder.speeds.clear();
    for (int i = 0; i < 4; ++i)
        Send(source, {true, true, false, false, true}, i);
    EXPECT_EQ(recorder.speeds, std::vector<int32_t>(4, 0));
}

TEST(AutoSpeedSource, IsMadeForItsSettingAndTheOthersStay) {
    EXPECT_EQ(SpeedSource::Create(SpeedSource::AutoProtocol)->GetProtocol(),
              SpeedSource::Protocol::Auto);
    EXPECT_EQ(SpeedSource::Create(1)->GetProtocol(), SpeedSource::Protocol::RMC);
    for (int other : {0, 2, 4, -1})
        EXPECT_EQ(SpeedSource::Create(other)->GetProtocol(), SpeedSource::Protocol::VTG) << other;
    // The single-sentence variants read an empty field as 0, as before.
    RmcSpeedSource rmc;
    Recorder recorder;
    rmc.AddListener(&recorder);
    rmc.OnRMC(Rmc(-1));
    rmc.OnVTG(Vtg(50));
    EXPECT_EQ(recorder.speeds, std::vector<int32_t>{0});
}

TEST(AutoSpeedSource, TheWatchTakesEitherSentenceAsTheSpeed) {
    const std::string onlyRmc = Rmc(10);
    const std::string onlyVtg = Vtg(20);
    const std::string gga = "$GPGGA,120000,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,*00";
    const struct {
        std::vector<std::string> lines;
        const char* advice; // nullptr: no notice
    } cases[] = {
        {{onlyRmc, gga}, nullptr},
        {{onlyVtg, gga}, nullptr},
        {{Rmc(-1), Vtg(-1)}, "no speed yet"},
        {{gga}, "neither RMC nor VTG"},
    };
    for (const auto& c : cases) {
        SpeedWatch watch;
        watch.Expect(SentenceType::RMC);
        watch.ExpectEither();
        std::vector<std::string> notices;
        for (uint32_t s = 0; s <= 20; ++s) {
            for (const std::string& line : c.lines)
                watch.Note(line, ClassifySentence(line, TalkerRule::GpsOnly));
            if (auto notice = watch.Check(s * 1000, TalkerRule::GpsOnly))
                notices.push_back(*notice);
        }
        if (!c.advice)
            EXPECT_TRUE(notices.empty()) << c.lines[0];
        else
            EXPECT_TRUE(notices.size() == 1 && notices[0].find(c.advice) != std::string::npos)
                << c.lines[0] << ": " << (notices.empty() ? "none" : notices[0]);
    }
}
