#include "gps/SentenceType.h"

#include <gtest/gtest.h>

#include <string>

using namespace velvane;

namespace {

TEST(SentenceType, TalkersCountAsGpsOnlyWhenAsked) {
    using T = SentenceType;
    const struct {
        std::string line;
        T gpsOnly;
        T anyTalker;
    } cases[] = {
        {"$GPRMC,1\r\n", T::RMC, T::RMC},     {"$GPVTG,1\r\n", T::VTG, T::VTG},
        {"$GNRMC,1\r\n", T::Other, T::RMC},   {"$GNGGA,1\r\n", T::Other, T::GGA},
        {"$GLGSV,1\r\n", T::Other, T::GSV},   {"$GAGSA,1\r\n", T::Other, T::GSA},
        {"$BDVTG,1\r\n", T::Other, T::VTG},   {"$GQRMC,1\r\n", T::Other, T::RMC},
        {"$GIRMC,1\r\n", T::Other, T::RMC},   {"$GPZDA,1\r\n", T::Other, T::Other},
        {"$PGRMC,1\r\n", T::Other, T::Other}, // proprietary, not a talker "PG"
        {"$gnRMC,1\r\n", T::Other, T::Other}, {"$G1RMC,1\r\n", T::Other, T::Other},
        {"!GNRMC,1\r\n", T::Other, T::Other}, {"$GNRM", T::Other, T::Other}, // 5 bytes
        {"$GNRMC", T::Other, T::RMC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifySentence(c.line, TalkerRule::GpsOnly), c.gpsOnly) << c.line;
        EXPECT_EQ(ClassifySentence(c.line, TalkerRule::AnyTalker), c.anyTalker) << c.line;
    }
}

} // namespace
