#include "files/RouteFiles.h"
#include "files/DestinationFile.h"

#include "platform/file.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace lokaro;
using platform::testing::TempDevice;

namespace {

DestinationRecord Bahnhof() {
    DestinationRecord record;
    record.name = u"Bahnhof";
    record.street = u"Hauptstraße";
    record.houseNumber = u"1a";
    record.postalCode = u"8000";
    record.city = u"Zürich";
    record.longitude = 8.54321;
    record.latitude = 47.12345;
    return record;
}

const char* const ThreeStops = "8.5,47.1,\"Erster Halt\"\n"
                               "\n"
                               "kein Datensatz\r\n"
                               "9\xB0"
                               "30,48\xB0"
                               "15,\"Dritter Halt\"\r\n"
                               "10.25,49.75,ohne Anfuehrung";

// A device as shipped: its documents folder and storage card exist.
struct Device : TempDevice {
    Device() {
        std::filesystem::create_directories(HostPath(u"\\My Documents"));
        std::filesystem::create_directories(HostPath(u"\\Storage Card"));
    }
};

} // namespace

TEST(DestinationFile, EntryWritesSevenLinesWithFifteenDecimals) {
    Device device;
    ASSERT_TRUE(writeEntryDestination(DestinationFile, Bahnhof()));
    EXPECT_EQ(device.Get(DestinationFile), "Name:Bahnhof\n"
                                           "Strasse:Hauptstra\xDF"
                                           "e\n"
                                           "HausNR:1a\n"
                                           "PLZ:8000\n"
                                           "Ort:Z\xFCrich\n"
                                           "Laenge:8.543210000000000\n"
                                           "Breite:47.123449999999998\n");
}

TEST(DestinationFile, EmptyStreetAndCityCarryTheCoordinates) {
    Device device;
    DestinationRecord record;
    record.longitude = -0.1275;
    record.latitude = 51.507222222;
    ASSERT_TRUE(writeEntryDestination(u"\\Storage Card\\ziel.txt", record));
    EXPECT_EQ(device.Get(u"\\Storage Card\\ziel.txt"), "Name:\n"
                                                       "Strasse:L=-0.12750000\n"
                                                       "HausNR:\n"
                                                       "PLZ:\n"
                                                       "Ort:B=51.50722222\n"
                                                       "Laenge:-0.127500000000000\n"
                                                       "Breite:51.507222222000003\n");
}

TEST(DestinationFile, FieldsThatDoNotFitAreMadeSafe) {
    DestinationRecord record = Bahnhof();
    record.name = u"Ω Zwei\nZeilen"; // no place in the code page; a line break
    record.city = u"😀";
    EXPECT_EQ(destinationFileText(record, RouteDecimals), "Name:? Zwei Zeilen\n"
                                                          "Strasse:Hauptstra\xDF"
                                                          "e\n"
                                                          "HausNR:1a\n"
                                                          "PLZ:8000\n"
                                                          "Ort:?\n"
                                                          "Laenge:8.54321000\n"
                                                          "Breite:47.12345000\n");
}

TEST(RouteFiles, EveryLineTakesAnIndex) {
    Device device;
    device.Put(DefaultRouteFile, ThreeStops);
    struct {
        int index;
        bool valid;
        double longitude;
        std::u16string_view description;
    } cases[] = {
        {0, true, 8.5, u"Erster Halt"},
        {1, false, 0, u""}, // empty line
        {2, false, 0, u""}, // no commas
        {3, true, 9.5, u"Dritter Halt"},
        {4, true, 10.25, u"ohne Anfuehrung"},
        {5, false, 0, u""}, // past the end
        {-1, false, 0, u""},
    };
    for (const auto& c : cases) {
        auto point = readRoutePoint(DefaultRouteFile, c.index);
        ASSERT_EQ(point.has_value(), c.valid) << "index " << c.index;
        if (point) {
            EXPECT_EQ(point->longitude, c.longitude) << "index " << c.index;
            EXPECT_EQ(point->description, c.description) << "index " << c.index;
        }
    }
    EXPECT_FALSE(readRoutePoint(u"\\My Documents\\fehlt.asc", 0));

    RouteFiles files;
    auto entries = files.listRecords(DefaultRouteFile);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].index, 3); // the list keeps the record index, not its position
    EXPECT_EQ(entries[1].text, u"Dritter Halt");
    EXPECT_TRUE(files.listRecords(u"\\My Documents\\fehlt.asc").empty());
}

TEST(RouteFiles, LongLinesAndOddBytesAreReadSafely) {
    Device device;
    const std::string description(300, 'x');
    std::string file = "1,2,\"" + description + "\"\n";      // longer than a line may be
    file += std::string("3,4,\"Null\0Byte\x01\xE4\"\n", 18); // NUL, a control, an umlaut
    file += "5,6,\"Danach\"\n";
    device.Put(DefaultRouteFile, file);

    RouteFiles files;
    auto entries = files.listRecords(DefaultRouteFile);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].wholeText, std::u16string(RouteLineLimit - 5, u'x'));
    EXPECT_EQ(entries[0].text, std::u16string(FieldWidth, u'x'));
    EXPECT_EQ(entries[1].index, 1);
    EXPECT_EQ(entries[1].wholeText, u"Null Byte ä");
    EXPECT_EQ(entries[2].index, 2); // the long line still counts once
    EXPECT_EQ(entries[2].wholeText, u"Danach");
}

TEST(RouteFiles, LoadingAStopWritesStateAndDestination) {
    Device device;
    device.Put(u"\\Storage Card\\Routen\\Tour.asc", ThreeStops);
    RouteFiles files;
    EXPECT_FALSE(files.writeDestinationFromRecord());
    EXPECT_FALSE(platform::FileExists(DestinationFile));

    files.setRouteFile(u"\\Storage Card\\Routen\\Tour.asc");
    EXPECT_FALSE(files.loadRecord(files.routeFile(), 2, RouteFiles::State::Write));
    EXPECT_FALSE(platform::FileExists(RouteStateFile));
    ASSERT_TRUE(files.loadRecord(files.routeFile(), 3, RouteFiles::State::Write));
    EXPECT_EQ(device.Get(RouteStateFile), "akt=3\nroute=\\Storage Card\\Routen\\Tour.asc\n");
    ASSERT_TRUE(files.writeDestinationFromRecord());
    EXPECT_EQ(device.Get(DestinationFile), "Name:Dritter Halt\n"
                                           "Strasse:\n"
                                           "HausNR:\n"
                                           "PLZ:\n"
                                           "Ort:\n"
                                           "Laenge:9.50000000\n"
                                           "Breite:48.25000000\n");

    ASSERT_TRUE(files.loadRecord(files.routeFile(), 0, RouteFiles::State::Keep));
    EXPECT_EQ(files.record()->name, u"Erster Halt");
    EXPECT_EQ(device.Get(RouteStateFile), "akt=3\nroute=\\Storage Card\\Routen\\Tour.asc\n");
}

TEST(RouteFiles, StateReadsBackInLowerCase) {
    Device device;
    RouteFiles files;
    EXPECT_EQ(files.readRouteState(), -1); // no active route
    EXPECT_EQ(files.routeFile(), DefaultRouteFile);

    device.Put(RouteStateFile, "akt=7\r\nroute=\\Storage Card\\Routen\\S\xFC"
                               "d.ASC\r\n");
    EXPECT_EQ(files.readRouteState(), 7);
    EXPECT_EQ(files.routeFile(), u"\\storage card\\routen\\süd.asc");

    device.Put(RouteStateFile, "route=\\A.asc\n");
    EXPECT_EQ(files.readRouteState(), -1);
    EXPECT_EQ(files.routeFile(), u"\\a.asc");

    device.Put(RouteStateFile, "AKT= -2xyz\n");
    EXPECT_EQ(files.readRouteState(), -2);

    // A deep path longer than a short line survives the round trip.
    const std::u16string deep = u"\\storage card\\" + std::u16string(200, u'r') + u"\\tour.asc";
    files.setRouteFile(deep);
    ASSERT_TRUE(files.writeRouteState(12));
    RouteFiles again;
    EXPECT_EQ(again.readRouteState(), 12);
    EXPECT_EQ(again.routeFile(), deep);

    EXPECT_TRUE(files.deleteRouteState());
    EXPECT_FALSE(platform::FileExists(RouteStateFile));
    EXPECT_EQ(again.readRouteState(), -1);
}

TEST(RouteFiles, AppendKeepsDestinationsApart) {
    Device device;
    DestinationRecord record = Bahnhof();
    ASSERT_TRUE(appendRoutePoint(DefaultRouteFile, record));
    EXPECT_EQ(device.Get(DefaultRouteFile), "8.54321000,47.12345000,\"Bahnhof Hauptstra\xDF"
                                            "e 1a 8000 Z\xFCrich\"\n");

    device.Put(u"\\Tour.asc", "1,2,\"Ohne Zeilenende\"");
    record.street.clear();
    ASSERT_TRUE(appendRoutePoint(u"\\Tour.asc", record));
    RouteFiles files;
    auto entries = files.listRecords(u"\\Tour.asc");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].wholeText, u"Ohne Zeilenende");
    EXPECT_EQ(entries[1].wholeText, u"Bahnhof 1a 8000 Zürich");
    EXPECT_FALSE(appendRoutePoint(u"\\Fehlt\\Tour.asc", record));
}

TEST(RouteFiles, FavouriteIsRecordZero) {
    Device device;
    EXPECT_FALSE(readFavourite());
    device.Put(FavouritesFile, "11.5,48.1,\"Zuhause Am Anger 3 Muenchen\"\n1,2,\"Zweiter\"\n");
    auto favourite = readFavourite();
    ASSERT_TRUE(favourite);
    EXPECT_EQ(favourite->name, u"Zuhause Am Anger 3 Muenchen");
    EXPECT_EQ(favourite->longitude, 11.5);
    EXPECT_EQ(favourite->latitude, 48.1);
}

TEST(RouteFiles, TextCopyReadsLinesAsTheDeviceDoes) {
    Device device;
    const std::string longLine(500, 'L');
    device.Put(u"\\goto.txt",
               std::string("Name:A\r\nOrt:\xE4\0\xFF\n", 16) + longLine + "\nletzte Zeile");
    ASSERT_TRUE(copyTextFile(u"\\goto.txt", DestinationFile));
    EXPECT_EQ(device.Get(DestinationFile),
              std::string("Name:A\nOrt:\xE4\0\xFF\n", 15) + longLine + "\nletzte Zeile");
    EXPECT_FALSE(copyTextFile(u"\\fehlt.txt", u"\\kopie.txt"));
    EXPECT_FALSE(platform::FileExists(u"\\kopie.txt"));
}
