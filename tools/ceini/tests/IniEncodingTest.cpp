#include "IniEncoding.h"

#include <gtest/gtest.h>

using namespace ceini;

namespace {

std::string Hex(std::string_view bytes) {
    std::string out;
    char two[4];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof two, "%02X ", c);
        out += two;
    }
    return out;
}

TEST(IniEncoding, EveryInputFormBecomesTheDeviceForm) {
    // "[Ä]" and a line end, in each form an editor or the device may write.
    const std::string device = std::string("\xFF\xFE[\0\xC4\0]\0\r\0\n\0", 12);
    struct {
        const char* what;
        std::string bytes;
    } const cases[] = {
        {"UTF-8, LF", "[\xC3\x84]\n"},
        {"UTF-8, CR LF", "[\xC3\x84]\r\n"},
        {"UTF-8 with its byte-order mark", "\xEF\xBB\xBF[\xC3\x84]\n"},
        {"UTF-8, lone CR", "[\xC3\x84]\r"},
        {"the device form itself", device},
        {"UTF-16BE with its mark, LF", std::string("\xFE\xFF\0[\0\xC4\0]\0\n", 10)},
    };
    for (const auto& c : cases) {
        std::string why;
        const auto text = DecodeSettingsText(c.bytes, why);
        ASSERT_TRUE(text) << c.what << ": " << why;
        EXPECT_EQ(Hex(EncodeDeviceForm(*text)), Hex(device)) << c.what;
        EXPECT_EQ(EncodeEditorForm(*text), "[\xC3\x84]\n") << c.what;
    }
    EXPECT_TRUE(IsDeviceForm(device));
    EXPECT_FALSE(IsDeviceForm(std::string("\xFF\xFE[\0\n\0", 6))) << "LF alone is not CR LF";
    EXPECT_FALSE(IsDeviceForm("[A]\r\n"));
}

TEST(IniEncoding, TextOutsideTheBasicPlaneAndNoFinalLineEndSurvive) {
    const std::string utf8 = "Text = \xF0\x9F\x9A\x97 km/h"; // U+1F697, a surrogate pair
    std::string why;
    const auto text = DecodeSettingsText(utf8, why);
    ASSERT_TRUE(text) << why;
    EXPECT_EQ(text->size(), 14u);
    const auto back = DecodeSettingsText(EncodeDeviceForm(*text), why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(EncodeEditorForm(*back), utf8);
}

TEST(IniEncoding, WhatIsNeitherFormIsRefusedWithItsLine) {
    struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } const cases[] = {
        {"Windows-1252 on line 2", "[A]\nName = M\xFCller\n", "line 2 is not UTF-8"},
        {"a cut-off sequence", "[A]\xE2\x82", "line 1 is not UTF-8"},
        {"an overlong slash", "a\xC0\xAF", "not UTF-8"},
        {"an encoded surrogate", "\xED\xA0\x80", "not UTF-8"},
        {"UTF-16 cut in half", std::string("\xFF\xFE[\0A", 5), "odd number of bytes"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(DecodeSettingsText(c.bytes, why)) << c.what;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.what << ": " << why;
    }
}

} // namespace
