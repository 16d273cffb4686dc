// The unit system in the main settings: read, reported when unknown, and
// written back only when it is not the default.
#include "app/MainSettings.h"

#include "platform/testing/temp_device.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

constexpr const char16_t* SettingsPath = u"\\Program Files\\Velvane\\Velvane.ini";

bool Reported(const std::string& part) {
    for (auto& line : platform::TranscriptLines())
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(UnitsSetting, ReadAndWrittenBack) {
    TempDevice device;
    struct Case {
        const char16_t* line;
        UnitSystem system;
        bool reported;
        const char16_t* written; // after "SpeedProtocol = VTG"
    };
    const Case cases[] = {
        {u"", UnitSystem::Metric, false, u""},
        {u"Units = metric\r\n", UnitSystem::Metric, false, u""},
        {u"Units = imperial\r\n", UnitSystem::Imperial, false, u"Units = imperial\r\n"},
        {u"Units = Nautical\r\n", UnitSystem::Nautical, false, u"Units = nautical\r\n"},
        {u"Units = miles\r\n", UnitSystem::Metric, true, u""},
    };
    for (const Case& c : cases) {
        const std::string input = platform::ToUtf8(c.line);
        platform::TranscriptClear();
        device.Put(SettingsPath,
                   Utf16File(u"[Settings]\r\nSpeedProtocol = VTG\r\n" + std::u16string(c.line)));
        MainSettings settings;
        ASSERT_TRUE(LoadMainSettings(settings)) << input;
        EXPECT_EQ(settings.UnitSystem(), c.system) << input;
        EXPECT_EQ(Reported("Ignoriere unbekanntes Attribut"), c.reported) << input;
        ASSERT_TRUE(SaveMainSettings(settings)) << input;
        EXPECT_EQ(device.Get(SettingsPath),
                  Utf16File(u"[Settings]\r\nSaveOnExit = y\r\nSpeedProtocol = VTG\r\n" +
                            std::u16string(c.written)))
            << input;
    }
}
