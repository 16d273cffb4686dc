#include "display/Units.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

using namespace velvane;

namespace {

const Units Metric(UnitSystem::Metric);
const Units Imperial(UnitSystem::Imperial);
const Units Nautical(UnitSystem::Nautical);

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

} // namespace

TEST(Units, SpeedsUseTheExactFactorsAndRoundToTheNearestTenth) {
    struct Case {
        int32_t kmh; // tenths
        int32_t metric, mph, kn;
    };
    const Case cases[] = {
        // 1 mph = 1.609344 km/h and 1 kn = 1.852 km/h, with no error left.
        {1609344, 1609344, 1000000, 868976},
        {1852000, 1852000, 1150779, 1000000},
        {0, 0, 0, 0},
        {1000, 1000, 621, 540},     // 62.137 mph, 53.996 kn
        {8, 8, 5, 4},               // 0.497 mph, 0.432 kn
        {-1000, -1000, -621, -540}, // signs are kept, rounding is symmetric
        {INT32_MAX, INT32_MAX, 1334384474, 1159548406},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Metric.Speed(c.kmh), c.metric) << c.kmh;
        EXPECT_EQ(Imperial.Speed(c.kmh), c.mph) << c.kmh;
        EXPECT_EQ(Nautical.Speed(c.kmh), c.kn) << c.kmh;
    }
    EXPECT_EQ(Metric.SpeedUnit(), u"km/h");
    EXPECT_EQ(Imperial.SpeedUnit(), u"mph");
    EXPECT_EQ(Nautical.SpeedUnit(), u"kn");
}

TEST(Units, AltitudesInFeetOnlyForImperial) {
    struct Case {
        int32_t metres; // tenths
        int32_t feet;   // tenths
    };
    const Case cases[] = {
        {3048, 10000}, // 1 ft = 0.3048 m exactly
        {10, 33},      // 3.28 ft
        {-4300, -14108},
        {0, 0},
        // Feet outgrow metres; the end of the range holds instead of wrapping.
        {INT32_MAX, INT32_MAX},
        {INT32_MIN, INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Imperial.Altitude(c.metres), c.feet) << c.metres;
        EXPECT_EQ(Metric.Altitude(c.metres), c.metres) << c.metres;
        EXPECT_EQ(Nautical.Altitude(c.metres), c.metres) << c.metres;
    }
    EXPECT_EQ(Metric.AltitudeUnit(), u"m");
    EXPECT_EQ(Imperial.AltitudeUnit(), u"ft");
    EXPECT_EQ(Nautical.AltitudeUnit(), u"m");
}

TEST(Units, DistanceTextsTruncateLikeACounter) {
    struct Case {
        const Units& units;
        uint32_t centimetres;
        const char* text;
    };
    const Case cases[] = {
        {Metric, 0, "0.00m"},
        {Metric, 99999, "999.99m"},
        {Metric, 100000, "1.00km"},
        {Metric, 123456, "1.23km"},
        {Metric, UINT32_MAX, "42949.67km"},
        {Imperial, 0, "0ft"},
        {Imperial, 3048, "100ft"},
        {Imperial, 16093, "527ft"}, // just under a tenth of a mile
        {Imperial, 16094, "0.10mi"},
        {Imperial, 160934, "0.99mi"}, // 1 mi = 160934.4 cm
        {Imperial, 160935, "1.00mi"},
        {Imperial, UINT32_MAX, "26687.68mi"},
        {Nautical, 0, "0.00nm"},
        {Nautical, 1851, "0.00nm"},
        {Nautical, 1852, "0.01nm"},
        {Nautical, 185200, "1.00nm"}, // 1 nm = 1852 m
        {Nautical, UINT32_MAX, "23190.96nm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow(c.units.DistanceText(c.centimetres)), c.text)
            << Narrow(UnitSystemName(c.units.System())) << " " << c.centimetres;
}

TEST(Units, NamesAreReadInAnyCaseAndNothingElse) {
    struct Case {
        const char16_t* text;
        bool known;
        UnitSystem system;
    };
    const Case cases[] = {
        {u"metric", true, UnitSystem::Metric},     {u"Imperial", true, UnitSystem::Imperial},
        {u"NAUTICAL", true, UnitSystem::Nautical}, {u"", false, UnitSystem::Nautical},
        {u"imp", false, UnitSystem::Nautical},     {u"metrics", false, UnitSystem::Nautical},
        {u"km/h", false, UnitSystem::Nautical},
    };
    for (const Case& c : cases) {
        UnitSystem system = UnitSystem::Nautical; // left alone when not known
        EXPECT_EQ(ParseUnitSystem(c.text, system), c.known) << Narrow(c.text);
        EXPECT_EQ(system, c.system) << Narrow(c.text);
    }
    // What is written back reads as the same system.
    for (UnitSystem s : {UnitSystem::Metric, UnitSystem::Imperial, UnitSystem::Nautical}) {
        UnitSystem read = s == UnitSystem::Metric ? UnitSystem::Nautical : UnitSystem::Metric;
        EXPECT_TRUE(ParseUnitSystem(UnitSystemName(s), read));
        EXPECT_EQ(read, s);
    }
}
