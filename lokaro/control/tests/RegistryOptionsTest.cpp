#include "control/RegistryOptions.h"

#include "platform/file.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace lokaro;
using platform::HKEY_CURRENT_USER;
using platform::RegistryKey;
using platform::testing::TempDevice;

namespace {

// A key's values one a line, sorted by name: "Name=dword:3", "Name=flag" for
// a flag of this program, else the type and the bytes in hexadecimal.
std::vector<std::string> Contents(std::u16string_view path) {
    std::vector<std::string> lines;
    auto key = RegistryKey::Open(HKEY_CURRENT_USER, path);
    if (!key)
        return lines;
    for (const auto& value : key->Values().value_or(std::vector<platform::RegistryValue>{})) {
        std::string line = platform::ToUtf8(value.name) + "=";
        if (value.type == platform::ValueType::Dword && value.data.size() == 4) {
            uint32_t v = 0;
            memcpy(&v, value.data.data(), 4);
            line += "dword:" + std::to_string(v);
        } else if (value.type == platform::ValueType::String && value.data == flagData()) {
            line += "flag";
        } else {
            line += "type" + std::to_string(static_cast<int>(value.type)) + ":";
            for (unsigned char c : value.data) {
                char hex[3];
                snprintf(hex, sizeof hex, "%02X", c);
                line += hex;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

using Lines = std::vector<std::string>;

void SetDword(std::u16string_view key, std::u16string_view name, uint32_t value) {
    ASSERT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, key)->SetDword(name, value));
}

} // namespace

TEST(RegistryOptions, FlagHoldsTheProgramsPath) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    ASSERT_EQ(setFlag(FlagKey, u"Lokaro_Route", FlagMode::Set), 1);
    auto value = RegistryKey::Open(HKEY_CURRENT_USER, FlagKey)->QueryValue(u"Lokaro_Route");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, platform::ValueType::String);
    EXPECT_EQ(value->data.size(), 162u);
    std::string expected = platform::testing::Utf16File(u"\\Windows\\lokaro.exe", false);
    expected.resize(162, '\0');
    EXPECT_EQ(value->data, expected);

    // A path too long for the field is cut so that its terminator still fits.
    TempDevice deep(u"\\Storage Card\\" + std::u16string(100, u'p') + u"\\lokaro.exe");
    std::string data = flagData();
    ASSERT_EQ(data.size(), 162u);
    EXPECT_EQ(data.substr(0, 4), std::string("\\\0S\0", 4));
    EXPECT_EQ(data.substr(160), std::string(2, '\0'));
    EXPECT_NE(data[158], '\0');
}

TEST(RegistryOptions, FlagModesOneAfterAnother) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    struct {
        int mode;
        int result;
        Lines contents;
    } steps[] = {
        {3, 0, {}},                // read: absent
        {0, 0, {}},                // remove: nothing there
        {1, 1, {"Lokaro_X=flag"}}, // set
        {1, 1, {"Lokaro_X=flag"}}, // set again
        {3, 0, {"Lokaro_X=flag"}}, // a flag does not fit a DWORD
        {2, 0, {}},                // toggle off
        {2, 1, {"Lokaro_X=flag"}}, // toggle on
        {0, 1, {}},                // remove
        {7, 0, {}},                // no such mode
    };
    for (const auto& step : steps) {
        EXPECT_EQ(setFlag(LokaroKey, u"Lokaro_X", static_cast<FlagMode>(step.mode)), step.result)
            << "mode " << step.mode;
        EXPECT_EQ(Contents(LokaroKey), step.contents) << "mode " << step.mode;
    }
    SetDword(LokaroKey, u"Lokaro_X", 0x1234);
    EXPECT_EQ(setFlag(LokaroKey, u"Lokaro_X", FlagMode::Read), 0x34);
    EXPECT_EQ(Contents(LokaroKey), Lines{"Lokaro_X=dword:4660"});

    // A key that cannot be opened changes nothing.
    const std::u16string badKey = u"Software\\" + std::u16string(300, u'k');
    EXPECT_EQ(setFlag(badKey, u"Lokaro_X", FlagMode::Set), 0);
    EXPECT_EQ(setFlag(badKey, u"Lokaro_X", FlagMode::Toggle), 0);
    EXPECT_EQ(Contents(u"Software"), Lines{});
}

TEST(RegistryOptions, OptionCodes) {
    TempDevice device;
    struct {
        std::optional<uint32_t> start;
        uint32_t code, max, result;
    } cases[] = {
        {3, 1, 3, 0},                          // counts past max back to 0
        {2, 1, 3, 3}, {std::nullopt, 1, 1, 1}, // absent counts as 0
        {1, 1, 1, 0}, {3, 3, 3, 1},            // code n stores n - 2
        {0, 7, 3, 5},                          // the application decides what 5 means
        {2, 0, 3, 2}, {5, 1, 3, 0},
    };
    for (const auto& c : cases) {
        RegistryKey::Delete(HKEY_CURRENT_USER, RouteOptionsKey);
        if (c.start)
            SetDword(RouteOptionsKey, u"NaviMode", *c.start);
        EXPECT_EQ(setOptionCode(RouteOptionsKey, u"NaviMode", c.code, c.max), c.result)
            << "start " << c.start.value_or(-1) << " code " << c.code;
        const Lines expected =
            c.code == 0 && !c.start ? Lines{} : Lines{"NaviMode=dword:" + std::to_string(c.result)};
        EXPECT_EQ(Contents(RouteOptionsKey), expected)
            << "start " << c.start.value_or(-1) << " code " << c.code;
    }
}

TEST(RegistryOptions, StepValue) {
    TempDevice device;
    struct {
        std::optional<uint32_t> start;
        std::u16string_view text;
        int min, max;
        Wrap wrap;
        int wrapOverride;
        int result;
    } cases[] = {
        {8, u"+1", 1, 8, Wrap::No, -1, 8},  // stays at the maximum
        {8, u"+1", 1, 8, Wrap::Yes, -1, 1}, // wraps to the minimum
        {1, u"+1", 0, 1, Wrap::Yes, -1, 0}, // the tunnel step
        {1, u"-1", 1, 8, Wrap::Yes, -1, 8},
        {1, u"-1", 1, 8, Wrap::No, -1, 1},
        {7, u"+3", 1, 8, Wrap::Yes, -1, 8}, // wraps only from the end itself
        {12, u"+1", 1, 8, Wrap::Yes, -1, 8},
        {std::nullopt, u"+1", 1, 8, Wrap::No, -1, 1},
        {4, u"6", 1, 8, Wrap::No, -1, 6}, // a number sets the value
        {4, u"12", 1, 8, Wrap::Yes, -1, 8},
        {4, u"x", 1, 8, Wrap::No, -1, 1},
        {5, u"-3", 1, 8, Wrap::No, -1, 2},
        {8, u"+1", 1, 8, Wrap::Yes, 0, 8}, // " l=0" forbids wrapping
        {8, u"+1", 1, 8, Wrap::No, 1, 1},  // " l=1" asks for it
        {0xFFFFFFFF, u"+1", 0, 1, Wrap::No, -1, 0},
    };
    for (const auto& c : cases) {
        RegistryKey::Delete(HKEY_CURRENT_USER, BacklightKey);
        if (c.start)
            SetDword(BacklightKey, u"ACBrightness", *c.start);
        StepSettings settings;
        settings.wrapOverride = c.wrapOverride;
        const std::string what = "start " + std::to_string(c.start.value_or(-1)) + " step " +
                                 platform::ToUtf8(c.text) + " wrap " +
                                 std::to_string(static_cast<int>(c.wrap));
        EXPECT_EQ(stepValue(BacklightKey, u"ACBrightness", c.text, c.min, c.max, c.wrap, settings),
                  c.result)
            << what;
        EXPECT_EQ(Contents(BacklightKey), Lines{"ACBrightness=dword:" + std::to_string(c.result)})
            << what;
    }
}

TEST(RegistryOptions, StepShowsTheValueOnlyWithAPoint) {
    TempDevice device;
    std::vector<std::u16string> shown;
    StepSettings settings;
    settings.show = [&shown](std::u16string_view text) { shown.emplace_back(text); };
    stepValue(BacklightKey, u"ACBrightness", u"+3", 1, 8, Wrap::No, settings);
    settings.x = 0;
    stepValue(BacklightKey, u"ACBrightness", u"+3", 1, 8, Wrap::No, settings);
    settings.y = 10;
    stepValue(BacklightKey, u"ACBrightness", u"+3", 1, 8, Wrap::No, settings);
    EXPECT_EQ(shown, std::vector<std::u16string>{u"8"});
}

TEST(RegistryOptions, PackedRouteOptions) {
    TempDevice device(u"\\Windows\\lokaro.exe");
    std::filesystem::create_directories(device.HostPath(u"\\My Flash Disk"));
    SetDword(RouteOptionsKey, u"DontUseTunnels", 1);
    SetDword(RouteOptionsKey, u"NaviMode", 3);
    setFlag(OptionMirrorKey, u"Stale_9", FlagMode::Set);

    const uint32_t packed = 3          // DontUseRoadClass0: store 1
                            | 2 << 2   // OmitTollRoads: store 0
                            | 1 << 4   // DontUseFerries: count up from absent
                            | 1 << 6   // DontUseTunnels: count up from 1 past max 1
                            | 3 << 8   // dynamic info on, mode 0
                            | 4 << 11  // RouteOptimation: store 2
                            | 1 << 14  // NaviMode: count up from 3 past max 3
                            | 2 << 24  // tracks on
                            | 1 << 26; // on the flash disk
    EXPECT_FALSE(applyRouteOptions(packed, -1));
    EXPECT_EQ(
        Contents(RouteOptionsKey),
        (Lines{"DontUseFerries=dword:1", "DontUseRoadClass0=dword:1", "DontUseTunnels=dword:0",
               "DynamicMode=dword:0", "NaviMode=dword:0", "OmitTollRoads=dword:0",
               "RouteOptimation=dword:2", "UseDynamicInfo=dword:1"}));
    EXPECT_EQ(Contents(OptionMirrorKey),
              (Lines{"DontUseFerries_1=flag", "DontUseRoadClass0_1=flag", "DontUseTunnels_0=flag",
                     "DynamicMode_0_1=flag", "NaviMode_0=flag", "OmitTollRoads_0=flag",
                     "RouteOptimation_2=flag", "Tracking_1=flag", "TrackingDest_1=flag"}));
    EXPECT_EQ(Contents(LokaroKey), Lines{"DontUseTunnels=flag"});
    EXPECT_TRUE(platform::DirectoryExists(u"\\My Flash Disk\\Tracks"));

    // Dynamic bits below 2 leave both values; lklickson bit 2 takes the
    // tunnel flag away and arms the sequence.
    EXPECT_TRUE(applyRouteOptions(1 << 8 | 2 << 6, 4));
    EXPECT_EQ(Contents(LokaroKey), Lines{});
    EXPECT_EQ(
        Contents(RouteOptionsKey),
        (Lines{"DontUseFerries=dword:1", "DontUseRoadClass0=dword:1", "DontUseTunnels=dword:0",
               "DynamicMode=dword:0", "NaviMode=dword:0", "OmitTollRoads=dword:0",
               "RouteOptimation=dword:2", "UseDynamicInfo=dword:1"}));
    // Nothing on the storage card: tracking is off there.
    EXPECT_EQ(Contents(OptionMirrorKey),
              (Lines{"DontUseFerries_1=flag", "DontUseRoadClass0_1=flag", "DontUseTunnels_0=flag",
                     "DynamicMode_0_1=flag", "NaviMode_0=flag", "OmitTollRoads_0=flag",
                     "RouteOptimation_2=flag", "Tracking_0=flag", "TrackingDest_0=flag"}));
    // Without a tunnel flag bit 2 arms nothing; bit 4 arms when tracks are off.
    EXPECT_FALSE(applyRouteOptions(4 << 8, 4)); // bit 10 alone: info off, mode 1
    EXPECT_EQ(Contents(RouteOptionsKey)[3], "DynamicMode=dword:1");
    EXPECT_EQ(Contents(RouteOptionsKey)[7], "UseDynamicInfo=dword:0");
    EXPECT_TRUE(applyRouteOptions(3 << 24 | 1 << 26, 16));
    EXPECT_FALSE(platform::DirectoryExists(u"\\My Flash Disk\\Tracks"));
    EXPECT_TRUE(platform::DirectoryExists(u"\\My Flash Disk\\notracking"));
    EXPECT_EQ(Contents(OptionMirrorKey).back(), "TrackingDest_1=flag");
    EXPECT_FALSE(applyRouteOptions(2 << 24 | 1 << 26, 16));
}
