#include "gps/SpeedWatch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace velvane;

namespace {

// Feeds the lines once a second for the given seconds, as a receiver polled
// every second would see them, and returns every notice given.
std::vector<std::string> Feed(SpeedWatch& watch, const std::vector<std::string>& lines, int seconds,
                             TalkerRule rule, uint32_t start = 0) {
    std::vector<std::string> notices;
    for (int s = 0; s <= seconds; ++s) {
        for (const std::string& line : lines)
            watch.Note(line, ClassifySentence(line, rule));
        if (auto notice = watch.Check(start + s * 1000u, rule))
            notices.push_back(*notice);
    }
    return notices;
}

bool Says(const std::vector<std::string>& notices, const std::string& part) {
    return notices.size() == 1 && notices[0].find(part) != std::string::npos;
}

TEST(SpeedWatch, SaysOnceWhatArrivesAndWhatToChange) {
    const std::string gnRmc = "$GNRMC,120000,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*00\r\n";
    const std::string gnGga = "$GNGGA,120000,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,*00\r\n";
    const std::string gpRmc = "$GPRMC,120000,A,4807.038,N,01131.000,E,022.4,084.4,230394,,*00\r\n";
    const std::string gpVtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n";
    const std::string noFix = "$GPVTG,,T,,M,,N,,K*48\r\n";
    const struct {
        const char* what;
        SentenceType speedFrom;
        TalkerRule rule;
        std::vector<std::string> lines;
        const char* advice; // nullptr: no notice
    } cases[] = {
        {"modern talker", SentenceType::RMC, TalkerRule::GpsOnly, {gnRmc, gnGga}, "AnyTalker = y"},
        {"modern talker, AnyTalker on",
         SentenceType::RMC,
         TalkerRule::AnyTalker,
         {gnRmc, gnGga},
         nullptr},
        {"the other sentence",
         SentenceType::VTG,
         TalkerRule::GpsOnly,
         {gpRmc},
         "SpeedProtocol = RMC"},
        {"no fix", SentenceType::VTG, TalkerRule::GpsOnly, {noFix}, "no speed yet"},
        {"neither", SentenceType::VTG, TalkerRule::GpsOnly, {gnGga}, "Protocol = VTG"},
        {"all well", SentenceType::VTG, TalkerRule::GpsOnly, {gpRmc, gpVtg}, nullptr},
    };
    for (const auto& c : cases) {
        SpeedWatch watch;
        watch.Expect(c.speedFrom);
        const auto notices = Feed(watch, c.lines, 30, c.rule);
        if (!c.advice) {
            EXPECT_TRUE(notices.empty()) << c.what << ": " << (notices.empty() ? "" : notices[0]);
            continue;
        }
        EXPECT_TRUE(Says(notices, c.advice)) << c.what << ": " << notices.size() << " notices"
                                             << (notices.empty() ? "" : ": " + notices[0]);
        EXPECT_TRUE(Says(notices, c.lines[0].substr(1, 5))) << c.what << ": names what arrives";
    }
}

TEST(SpeedWatch, TenQuietSecondsWithLinesNotSilenceNorAShortGap) {
    const std::string gga = "$GNGGA,120000,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,M,,*00\r\n";
    SpeedWatch watch;
    watch.Expect(SentenceType::RMC);
    EXPECT_TRUE(Feed(watch, {gga}, 9, TalkerRule::GpsOnly).empty()) << "9 s is not yet 10";
    EXPECT_EQ(Feed(watch, {gga}, 1, TalkerRule::GpsOnly, 10000).size(), 1u) << "10 s is";

    SpeedWatch silent;
    silent.Expect(SentenceType::RMC);
    EXPECT_TRUE(Feed(silent, {}, 60, TalkerRule::GpsOnly).empty()) << "a silent port is no notice";

    // A speed every 8 s keeps it quiet for good.
    SpeedWatch sometimes;
    sometimes.Expect(SentenceType::VTG);
    const std::string vtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n";
    std::vector<std::string> notices;
    for (int s = 0; s < 60; ++s) {
        sometimes.Note(gga, ClassifySentence(gga, TalkerRule::GpsOnly));
        if (s % 8 == 0)
            sometimes.Note(vtg, SentenceType::VTG);
        if (auto n = sometimes.Check(s * 1000u, TalkerRule::GpsOnly))
            notices.push_back(*n);
    }
    EXPECT_TRUE(notices.empty());
}

} // namespace
