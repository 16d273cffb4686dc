#include "ini/IniText.h"
#include "platform/text.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(IniText, KeywordMatchComparesOnlyTheTextsCharacters) {
    struct {
        const char16_t* keyword;
        std::u16string_view text;
        int expected;
    } cases[] = {
        {u"Speedo", u"Speedo", 0},
        {u"Speedo", u"Spe", 0},
        {u"Speedo", u"", 0},
        {u"Speedo", u"Speedos", -1},
        {u"Speedo", u"speedo", -1},
        {u"Speedo", u"Sp", 0},
        {u"Size", u"Sa", 1},
        {u"Size", u"Sz", -1},
        {u"Size", std::u16string_view(u"Size\0\0", 6), -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeywordMatch(c.keyword, c.text), c.expected)
            << platform::ToUtf8(c.keyword) << " vs " << platform::ToUtf8(c.text);
}

TEST(IniText, IntegersStopAtTheFirstNonDigitAndNeverOverflow) {
    struct {
        std::u16string_view text;
        int32_t expected;
    } cases[] = {
        {u"-0042", -42},
        {u"12abc", 12},
        {u"", 0},
        {u"abc", 0},
        {u"-", 0},
        {u"+5", 0},
        {u"241591910", 241591910},
        // 241591910 is the last value a digit is added to; the result
        // would pass 2^31 and saturates instead of changing sign.
        {u"2415919109", INT32_MAX},
        {u"-2415919109", -INT32_MAX},
        {u"241591911", 241591911},
        {u"2415919119", 241591911},
        {u"99999999999999999999", 999999999},
        {u"-99999999999999999999", -999999999},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniInteger(c.text), c.expected) << platform::ToUtf8(c.text);
}

TEST(IniText, BooleansLookAtTheFirstLowerCaseLetterOrOne) {
    for (auto t : {u"yes", u"y", u"1", u"ja", u"true", u"t"})
        EXPECT_TRUE(IniBool(t)) << platform::ToUtf8(t);
    for (auto t : {u"Y", u"J", u"T", u"0", u"n", u"", u" y"})
        EXPECT_FALSE(IniBool(t)) << platform::ToUtf8(t);
}

TEST(IniText, ColoursAreRedGreenBlueInCapitalHex) {
    EXPECT_EQ(IniColor(u"00FF80"), 0x80FF00u);
    EXPECT_EQ(IniColor(u"00ff80"), 0x800000u); // lower-case digits count 0: no green
    EXPECT_EQ(IniColor(u"FF0000"), 0x0000FFu);
    EXPECT_EQ(IniColor(u"123456"), 0x563412u);
    EXPECT_EQ(IniColor(u"FF"), 0xFFu); // short text: the missing digits count 0
}

TEST(IniText, CopiesAndPartsStayInBounds) {
    char16_t dest[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(BoundedCopy(u"abcdef", dest, 4), 3u);
    EXPECT_EQ(std::u16string(dest), u"abc");
    EXPECT_EQ(BoundedCopy(u"ab", dest, 4), 2u);
    EXPECT_EQ(std::u16string(dest), u"ab");
    EXPECT_EQ(BoundedCopy(nullptr, dest, 4), 0u);
    EXPECT_EQ(dest[0], 0);
    EXPECT_EQ(BoundedCopy(u"ab", dest, 0), 0u);

    EXPECT_EQ(TextLength(nullptr), 0u);
    EXPECT_EQ(TextLength(u"abc"), 3u);
    EXPECT_TRUE(IsBlank(u' '));
    EXPECT_TRUE(IsBlank(u'\t'));
    EXPECT_FALSE(IsBlank(u'\n'));

    EXPECT_EQ(FileNamePart(u"\\Storage\\Skins\\day.ini"), 15u);
    EXPECT_EQ(FileNamePart(u"a/b.ini"), 2u);
    EXPECT_EQ(FileNamePart(u"day.ini"), 0u);
    EXPECT_EQ(ExtensionPart(u"\\x\\day.ini"), 7u);
    EXPECT_EQ(ExtensionPart(u"noext"), 0u);
    EXPECT_EQ(ExtensionPart(std::u16string_view(u"a.b.c", 3)), 2u);
}
