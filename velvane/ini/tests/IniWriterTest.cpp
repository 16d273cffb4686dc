#include "ini/IniWriter.h"
#include "ini/IniParser.h"
#include "platform/testing/temp_device.h"

#include <gtest/gtest.h>

using namespace velvane;
using platform::testing::Utf16File;

TEST(IniWriter, WritesUtf16WithMarkAndCrLfThatReadsBack) {
    platform::testing::TempDevice device;
    auto out = platform::AtomicFile::Create(u"\\cfg.ini");
    ASSERT_TRUE(out);
    ASSERT_TRUE(WriteByteOrderMark(out->Stream()));
    ASSERT_TRUE(WriteSection(out->Stream(), u"Settings"));
    ASSERT_TRUE(WriteAttribute(out->Stream(), u"Font", u"Müller Sans"));
    ASSERT_TRUE(WriteLine(out->Stream(), u""));
    ASSERT_TRUE(out->Commit());
    EXPECT_EQ(device.Get(u"\\cfg.ini"), Utf16File(u"[Settings]\r\nFont = Müller Sans\r\n\r\n"));

    struct Reader : IniParser {
        std::u16string font;
        int OnSection(std::u16string_view) override { return 1; }
        bool OnAttribute(int, std::u16string_view key, std::u16string_view value) override {
            if (key == u"Font")
                font = value;
            return true;
        }
    } reader;
    EXPECT_TRUE(reader.Load(u"\\cfg.ini"));
    EXPECT_EQ(reader.font, u"Müller Sans");
}

TEST(IniWriter, AFailedSaveKeepsTheOldFile) {
    platform::testing::TempDevice device;
    device.Put(u"\\cfg.ini", Utf16File(u"[Settings]\r\nX = 1\r\n"));
    {
        auto out = platform::AtomicFile::Create(u"\\cfg.ini");
        ASSERT_TRUE(out);
        WriteByteOrderMark(out->Stream());
        WriteSection(out->Stream(), u"Sett");
        // abandoned before Commit, as a crash or an error mid-save would
    }
    EXPECT_EQ(device.Get(u"\\cfg.ini"), Utf16File(u"[Settings]\r\nX = 1\r\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(device.Root()), {}), 1);
}
