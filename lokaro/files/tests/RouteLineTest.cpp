#include "files/RouteLine.h"

#include "platform/text.h"

#include <gtest/gtest.h>

using namespace lokaro;

TEST(RouteLine, ReadsCoordinatesAndDescription) {
    struct {
        std::u16string_view line;
        double longitude, latitude;
        std::u16string_view description;
    } cases[] = {
        {u"8.54321000,47.12345000,\"Bahnhof Zuerich\"", 8.54321, 47.12345, u"Bahnhof Zuerich"},
        {u"8.5,47.1,Ohne Anfuehrung", 8.5, 47.1, u"Ohne Anfuehrung"}, // runs to the line end
        {u"8.5,47.1,\"Nicht beendet", 8.5, 47.1, u"Nicht beendet"},
        {u"8.5,47.1,\"A\" danach \"B\"", 8.5, 47.1, u"A"},
        {u"8.5,47.1, vorher \"Text\"", 8.5, 47.1, u"Text"}, // from the next quote on
        {u"8.5,47.1,", 8.5, 47.1, u""},
        {u"8°30,47°6'36,\"GMS\"", 8.5, 47 + 6.0 / 60 + 36 / 0x1.c200000000002p+11, u"GMS"},
        {u"-0.5,-47.1,\"West, Sued\"", -0.5, -47.1, u"West, Sued"},
        {u"x,y,\"Unlesbar\"", 0, 0, u"Unlesbar"},
    };
    for (const auto& c : cases) {
        auto point = parseRouteLine(c.line);
        ASSERT_TRUE(point) << platform::ToUtf8(c.line);
        EXPECT_DOUBLE_EQ(point->longitude, c.longitude) << platform::ToUtf8(c.line);
        EXPECT_DOUBLE_EQ(point->latitude, c.latitude) << platform::ToUtf8(c.line);
        EXPECT_EQ(point->description, c.description) << platform::ToUtf8(c.line);
    }
}

TEST(RouteLine, NeedsBothCommas) {
    for (std::u16string_view line : {u"", u"8.5", u"8.5,47.1", u"\"8.5,47.1\""})
        EXPECT_FALSE(parseRouteLine(line)) << platform::ToUtf8(line);
}

TEST(RouteLine, DescriptionSplitsIntoFieldsOfForty) {
    struct {
        std::u16string_view description, name, street, city;
    } cases[] = {
        // The only blank lies before position 21: cut at 40 characters.
        {u"Abcdefghi Klmnopqrstuvwxyzabcdefghijklmnopqrstuvwx",
         u"Abcdefghi Klmnopqrstuvwxyzabcdefghijklmn", u"opqrstuvwx", u""},
        // The last blank from 21 to 40 ends the name and is dropped.
        {u"Gasthof zum goldenen Hirschen Hauptstrasse 12 Oberammergau",
         u"Gasthof zum goldenen Hirschen", u"Hauptstrasse 12 Oberammergau", u""},
        {u"Short name", u"Short name", u"", u""},
        {u"", u"", u"", u""},
        // Exactly 40 characters with a blank at 40: the name keeps all 40.
        {u"0123456789012345678901234567890123456789 Strasse",
         u"0123456789012345678901234567890123456789", u"Strasse", u""},
    };
    for (const auto& c : cases) {
        RoutePoint point{1.5, 2.5, std::u16string(c.description)};
        DestinationRecord record = recordFromRoutePoint(point);
        EXPECT_EQ(record.name, c.name) << platform::ToUtf8(c.description);
        EXPECT_EQ(record.street, c.street) << platform::ToUtf8(c.description);
        EXPECT_EQ(record.city, c.city) << platform::ToUtf8(c.description);
        EXPECT_EQ(record.houseNumber, u"");
        EXPECT_EQ(record.postalCode, u"");
        EXPECT_EQ(record.longitude, 1.5);
        EXPECT_EQ(record.latitude, 2.5);
    }
    // Three parts without blanks; the city takes what remains, up to 40.
    const std::u16string a(40, u'a'), b(40, u'b'), c(45, u'c');
    DestinationRecord record = recordFromRoutePoint({0, 0, a + u"X" + b + c});
    EXPECT_EQ(record.name, a);
    EXPECT_EQ(record.street, u"X" + b.substr(1));
    EXPECT_EQ(record.city, u"b" + c.substr(0, 39));
}

TEST(RouteLine, AppendedLineReadsBack) {
    DestinationRecord record;
    record.name = u"Bäckerei";
    record.street = u"Hauptstraße";
    record.houseNumber = u"12";
    record.city = u"München";
    record.longitude = 11.575;
    record.latitude = -48.1371234567;
    EXPECT_EQ(routePointLine(record),
              u"11.57500000,-48.13712346,\"Bäckerei Hauptstraße 12 München\"\n");

    // A quote or line break inside a field would cut the description short.
    record.name = u"Café \"Zum\nHirschen\"";
    record.street.clear();
    record.houseNumber.clear();
    std::u16string line = routePointLine(record);
    EXPECT_EQ(line, u"11.57500000,-48.13712346,\"Café 'Zum Hirschen' München\"\n");
    line.pop_back();
    auto point = parseRouteLine(line);
    ASSERT_TRUE(point);
    EXPECT_EQ(point->description, u"Café 'Zum Hirschen' München");
    EXPECT_DOUBLE_EQ(point->latitude, -48.13712346);
}

TEST(RouteLine, FormatsLikePrintf) {
    char expected[64];
    for (double value : {0.0, -0.0, 8.54321, -179.999999999, 47.1234567890123456, 1e-9}) {
        for (int decimals : {8, 15}) {
            snprintf(expected, sizeof expected, "%.*f", decimals, value);
            EXPECT_EQ(platform::ToUtf8(formatFixed(value, decimals)), expected);
        }
    }
    EXPECT_EQ(listText(u"0123456789012345678901234567890123456789abc"),
              u"0123456789012345678901234567890123456789");
}
