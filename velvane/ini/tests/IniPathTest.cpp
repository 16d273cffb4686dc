#include "ini/IniPath.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(IniPath, JoinResolvesLeadingStepsRelativeToTheBase) {
    struct {
        std::u16string_view relative, base, expected;
    } cases[] = {
        {u"..\\x.ini", u"\\Storage\\Skins\\Day\\", u"\\Storage\\Skins\\x.ini"},
        {u"\\x.ini", u"\\Storage\\", u"\\Storage\\x.ini"},
        {u"x.ini", u"\\Storage", u"\\Storage\\x.ini"},
        {u"../../x.ini", u"\\A\\B\\C\\", u"\\A\\x.ini"},
        {u"..\\..\\..\\..\\x.ini", u"\\A\\B\\",
         u"..\\x.ini"}, // climbing past the top keeps the rest
        {u"Day\\..\\x.ini", u"\\A\\", u"\\A\\Day\\..\\x.ini"}, // only leading steps climb
        {u"x.ini", u"", u"x.ini"},
        {u"..\\x.ini", u"", u"..\\x.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JoinPath(c.relative, c.base), c.expected)
            << platform::ToUtf8(c.relative) << " + " << platform::ToUtf8(c.base);
    EXPECT_EQ(JoinPath(u"abcdef", u"\\x\\", 5), u"\\x\\a");
}

TEST(IniPath, RelativePathClimbsOutOfTheBase) {
    struct {
        std::u16string_view target, base, expected;
    } cases[] = {
        {u"\\A\\D\\x.ini", u"\\A\\B\\C\\", u"..\\..\\D\\x.ini"},
        {u"\\A\\B\\x.ini", u"\\A\\B\\", u"x.ini"},
        {u"\\A\\B\\C\\x.ini", u"\\A\\B\\", u"C\\x.ini"},
        {u"\\x.ini", u"\\A\\B\\", u"..\\..\\x.ini"},
        {u"x.ini", u"\\A\\", u"x.ini"},
    };
    for (const auto& c : cases) {
        auto rel = RelativePath(c.target, c.base);
        EXPECT_EQ(rel, c.expected)
            << platform::ToUtf8(c.target) << " from " << platform::ToUtf8(c.base);
        if (c.target[0] == u'\\') {
            EXPECT_EQ(JoinPath(rel, c.base), c.target)
                << "round trip of " << platform::ToUtf8(c.target);
        }
    }
}

TEST(IniPath, ProgramRelativePathsUseTheProgramsFolder) {
    platform::testing::TempDevice device(u"\\Programme\\Velvane\\Velvane.exe");
    EXPECT_EQ(ProgramPath(u"Velvane.ini"), u"\\Programme\\Velvane\\Velvane.ini");
    EXPECT_EQ(ProgramPath(u"..\\Skins\\a.ini"), u"\\Programme\\Skins\\a.ini");
    EXPECT_EQ(PathRelativeToProgram(u"\\Storage Card\\cfg.ini"), u"..\\..\\Storage Card\\cfg.ini");

    platform::testing::TempDevice unknown(u"");
    EXPECT_EQ(ProgramPath(u"Velvane.ini"), u"");
    auto lines = platform::TranscriptLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "messagebox caption=\"Fehler\" text=\"Der Pfad zum Programm konnte nicht ermittelt "
              "werden.\" buttons=Ok icon=Error answer=Ok");
}
