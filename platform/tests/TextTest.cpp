#include "platform/text.h"
#include "platform/error.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Text, Utf8RoundTripsAndRepairsBrokenInput) {
    const std::u16string samples[] = {u"", u"Wählen Sie", u"€ 12,50", u"\U0001F697 car",
                                      u"Zeile 1:\n\"x\""};
    for (const auto& s : samples)
        EXPECT_EQ(FromUtf8(ToUtf8(s)), s) << ToUtf8(s);

    std::u16string lone = u"a";
    lone += static_cast<char16_t>(0xD800);
    lone += u"b";
    lone += static_cast<char16_t>(0xDC00);
    EXPECT_EQ(ToUtf8(lone), "a\xEF\xBF\xBD"
                            "b\xEF\xBF\xBD");

    struct {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } broken[] = {
        {"truncated sequence", "a\xC3", u"a\uFFFD"},
        {"stray continuation", "\x80z", u"\uFFFDz"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
        {"invalid lead", "\xFFx", u"\uFFFDx"},
    };
    for (const auto& b : broken)
        EXPECT_EQ(FromUtf8(b.bytes), b.expected) << b.name;
}

TEST(Text, AnsiCodePageBothWaysAndRefusesWhatItCannotHold) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    auto wide = FromAnsi(all);
    ASSERT_EQ(wide.size(), 255u);
    EXPECT_EQ(wide[0x80 - 1], u'€');
    EXPECT_EQ(wide[0x9F - 1], u'Ÿ');
    EXPECT_EQ(wide[0xE4 - 1], u'ä');
    auto back = ToAnsi(wide);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, all);

    EXPECT_EQ(ToAnsi(u"$PRWIILOG,GGA,A,T,1,0"),
              std::optional<std::string>("$PRWIILOG,GGA,A,T,1,0"));
    EXPECT_EQ(ToAnsi(u"Straße €"), std::optional<std::string>("Stra\xDF"
                                                              "e \x80"));
    EXPECT_FALSE(ToAnsi(u"Ω"));
    EXPECT_EQ(LastError().code, ErrorCode::NoUnicodeTranslation);
    EXPECT_NE(LastError().message.find("U+03A9 at position 0"), std::string::npos)
        << LastError().message;
}

TEST(Text, TranscriptQuotingEscapesControlsAndQuotes) {
    EXPECT_EQ(QuoteForTranscript(u"Zeile 1:\n\"a\\b\"\t"), "Zeile 1:\\n\\\"a\\\\b\\\"\\t");
    EXPECT_TRUE(EqualsIgnoreAsciiCase(u"Velvane.INI", u"velvane.ini"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(u"Ä", u"ä"));
}
