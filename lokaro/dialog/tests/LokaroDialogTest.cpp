// The entry dialog and the route list in process, on the headless backend:
// keys, fields, files written and the route list's two modes.
#include "dialog/LokaroDialog.h"
#include "control/RegistryOptions.h"

#include "platform/file.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace lokaro;
using namespace lokaro::ControlId;
namespace fs = std::filesystem;

namespace {

class LokaroDialogTest : public ::testing::Test {
protected:
    platform::testing::TempDevice device{u"\\Windows\\lokaro.exe"};
    RouteFiles routes;
    DialogSettings settings;
    std::unique_ptr<LokaroDialog> handler;
    platform::Dialog* dialog = nullptr;

    void SetUp() override {
        platform::RegisterDialogClass(DialogClass, IconId);
        device.Put(u"\\My Documents\\keep", "");
        device.Put(u"\\Nav\\nav.exe", "#!/bin/sh\nexit 0\n");
        fs::permissions(device.HostPath(u"\\Nav\\nav.exe"), fs::perms::owner_all);
        settings.navigatorPath = u"\\Nav\\nav.exe";
        platform::TranscriptClear();
    }
    void TearDown() override {
        if (dialog && !dialog->IsEnded())
            dialog->Destroy();
        platform::RegCloseStore();
    }

    void Open() {
        handler = std::make_unique<LokaroDialog>(settings, routes);
        dialog = platform::Dialog::CreateModeless(handler->prepareTemplate(), *handler, nullptr);
        ASSERT_NE(dialog, nullptr);
    }
    void Click(std::initializer_list<int> ids) {
        for (int id : ids)
            ASSERT_TRUE(dialog->Click(id)) << id;
    }
    std::u16string Text(int id) { return dialog->GetText(id); }
    std::vector<std::u16string> Items() {
        std::vector<std::u16string> items;
        for (int i = 0; i < dialog->GetCount(List); ++i)
            items.push_back(dialog->GetItemText(List, i));
        return items;
    }
    bool Flag(std::u16string_view name) {
        auto key = platform::RegistryKey::Open(platform::HKEY_CURRENT_USER, FlagKey);
        bool there = false;
        if (key)
            for (const auto& v : key->Values().value_or(std::vector<platform::RegistryValue>{}))
                there = there || v.name == name;
        return there;
    }
    bool Transcribed(const std::string& line, bool prefixOnly = false) {
        for (const std::string& l : platform::TranscriptLines())
            if (prefixOnly ? l.starts_with(line) : l == line)
                return true;
        return false;
    }
};

} // namespace

TEST_F(LokaroDialogTest, TheMarkKeyTurnsTheHemisphereThenAddsDegreeMinuteSecond) {
    Open();
    EXPECT_EQ(handler->templateId(), 1003);
    Click({Latitude, Marks});
    EXPECT_EQ(Text(Latitude), u"-");
    Click({Marks});
    EXPECT_EQ(Text(Latitude), u"");
    EXPECT_EQ(Text(LatitudeSide), u"S");
    Click({Marks, Marks});
    EXPECT_EQ(Text(LatitudeSide), u"N");
    Click({Digit1 + 3, Marks, Digit1 + 4, Marks, Digit1 + 5, DecimalPoint, Digit0, Marks, Marks});
    EXPECT_EQ(Text(Latitude), u"4°5'6.0\"");
    Click({Delete, Delete});
    EXPECT_EQ(Text(Latitude), u"4°5'6.");
    // Letters do nothing in a coordinate field.
    Click({LetterA, Blank, Hyphen});
    EXPECT_EQ(Text(Latitude), u"4°5'6.");
    Click({Longitude, Marks, Marks});
    EXPECT_EQ(Text(LongitudeSide), u"W");
    EXPECT_EQ(Text(LatitudeSide), u"N");
}

TEST_F(LokaroDialogTest, LettersFollowUpAndTheTelephoneLayoutRelabelsTheDigits) {
    Open();
    EXPECT_TRUE(dialog->IsChecked(Up));
    EXPECT_EQ(Text(4007), u"1"); // the top row reads 1 2 3
    EXPECT_EQ(Text(4009), u"3");
    EXPECT_EQ(Text(4001), u"7");
    Click({City, LetterA + 1, Up, LetterA + 4, Blank, Hyphen, Up, LetterA + 25, 4007});
    EXPECT_EQ(Text(City), u"Be -Z1");

    dialog->Destroy();
    settings.telephoneLayout = false;
    Open();
    EXPECT_EQ(Text(4007), u"7");
    Click({Name, 4007});
    EXPECT_EQ(Text(Name), u"7");
}

TEST_F(LokaroDialogTest, LatitudeFirstExchangesTheFieldsAndTheirLabels) {
    settings.window = 5;
    Open();
    const platform::Rect upper = dialog->ControlRect(Latitude);
    EXPECT_LT(upper.top, dialog->ControlRect(Longitude).top);
    EXPECT_EQ(Text(LongitudeLabel), u"Breite:");
    EXPECT_EQ(Text(LatitudeLabel), u"Länge:");
    EXPECT_LT(dialog->ControlRect(LatitudeSide).top, dialog->ControlRect(LongitudeSide).top);
    EXPECT_EQ(Text(LatitudeSide), u"N");
    EXPECT_EQ(Text(LongitudeSide), u"E");
    // The upper field, typed into first, is the latitude.
    Click({Latitude, 4008, Longitude, 4009, platform::IdOk});
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), 1);
    const std::string target = device.Get(u"\\My Documents\\target.3na");
    EXPECT_NE(target.find("Laenge:3.000000000000000\nBreite:2.000000000000000\n"),
              std::string::npos)
        << target;
    EXPECT_TRUE(handler->navigatorStarted());
}

TEST_F(LokaroDialogTest, FavouritePrefillsAndPlusRouteAppendsTheEntry) {
    device.Put(u"\\My Documents\\ObsFav.ASC",
               "-43.2,-22.9,\"Zuckerhut Avenida Pasteur 520 Rio de Janeiro\"\r\n");
    Open();
    EXPECT_EQ(Text(Longitude), u"-43.20000000");
    EXPECT_EQ(Text(Latitude), u"-22.90000000");
    EXPECT_EQ(Text(Name), u"Zuckerhut Avenida Pasteur 520 Rio de");
    EXPECT_EQ(Text(Street), u"Janeiro");
    EXPECT_EQ(Text(PostalCode), u"");
    Click({PostalCode, 4008, 4010, HouseNumber, 4007, AddToRoute});
    EXPECT_FALSE(dialog->IsEnded());
    EXPECT_EQ(device.Get(u"\\My Documents\\route.asc"),
              "-43.20000000,-22.90000000,\"Zuckerhut Avenida Pasteur 520 Rio de Janeiro 1 20\"\n");
}

TEST_F(LokaroDialogTest, AGotoOutputIsWrittenThereWithoutStartingTheNavigator) {
    settings.outputFile = u"\\Storage Card\\ziel.3na";
    device.Put(u"\\Storage Card\\keep", "");
    Open();
    EXPECT_EQ(dialog->Template().caption, u"\\Storage Card\\ziel.3na");
    Click({Longitude, 4007, Latitude, 4008, Street, LetterA, platform::IdOk});
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), 0);
    EXPECT_FALSE(handler->navigatorStarted());
    EXPECT_EQ(device.Get(u"\\Storage Card\\ziel.3na"),
              "Name:\nStrasse:A\nHausNR:\nPLZ:\nOrt:B=2.00000000\nLaenge:1.000000000000000\n"
              "Breite:2.000000000000000\n");
}

TEST_F(LokaroDialogTest, AnOutputThatCannotBeWrittenIsSaidAndTheDialogStays) {
    settings.outputFile = u"\\No Such Folder\\ziel.3na";
    Open();
    Click({Longitude, 4007, Latitude, 4008, platform::IdOk});
    EXPECT_FALSE(dialog->IsEnded());
    EXPECT_EQ(Text(Longitude), u"1");
    EXPECT_TRUE(Transcribed("messagebox caption=\"Lokaro V 1.08.5\" text=\"Das Ziel konnte nicht "
                            "gespeichert werden:\\n\\\\No Such Folder\\\\ziel.3na\"",
                            true));
}

TEST_F(LokaroDialogTest, TheRouteFolderListsRouteFilesAndFoldersAndIsWalked) {
    device.Put(u"\\My Documents\\Touren\\b.asc", "1,2,\"B\"\n");
    device.Put(u"\\My Documents\\Touren\\A.asc", "1,2,\"A\"\n");
    device.Put(u"\\My Documents\\Touren\\notes.txt", "");
    device.Put(u"\\My Documents\\Touren\\Alpen\\pass.asc",
               "8.1,46.5,\"Furka\"\nnot a stop\n8.4,46.6,\"Grimsel Hospiz und eine sehr lange "
               "Beschreibung dazu\"\n");
    settings.routeMode = true;
    settings.routeFolder = u"\\My Documents\\Touren\\";
    Open();
    EXPECT_EQ(handler->templateId(), 1004);
    EXPECT_EQ(Items(), (std::vector<std::u16string>{u" Alpen\\", u"..\\", u"A.asc", u"b.asc"}));
    EXPECT_EQ(dialog->GetItemData(List, 1), 24);
    EXPECT_EQ(dialog->GetCurSel(List), 0);
    EXPECT_FALSE(dialog->IsShown(Info));
    EXPECT_FALSE(dialog->IsShown(Goal));
    EXPECT_FALSE(dialog->IsShown(NewRoute)); // no tour generator
    EXPECT_EQ(Text(StartRoute), u"öffne Route");
    EXPECT_EQ(Text(platform::IdCancel), u"Esc");
    EXPECT_FALSE(dialog->Click(Info));

    Click({StartRoute}); // into " Alpen\"
    EXPECT_EQ(Items(), (std::vector<std::u16string>{u"..\\", u"pass.asc"}));
    Click({StartRoute}); // and back up
    EXPECT_EQ(Items().size(), 4u);
    Click({Next, Next, Next, Next, Previous, Previous, Previous, Previous, Previous});
    EXPECT_EQ(dialog->GetCurSel(List), 0);
    Click({StartRoute, Next, StartRoute}); // the route file in Alpen
    EXPECT_EQ(device.Get(u"\\My Documents\\route.cfg"),
              "akt=0\nroute=\\My Documents\\Touren\\Alpen\\pass.asc\n");
    EXPECT_TRUE(Flag(u"Lokaro_Route"));
    // Its stops in file order; the invalid line takes an index of its own.
    EXPECT_EQ(Items(),
              (std::vector<std::u16string>{u"Furka", u"Grimsel Hospiz und eine sehr lange Besch"}));
    EXPECT_EQ(dialog->GetItemData(List, 1), 2);
    EXPECT_TRUE(dialog->IsShown(Info));
    EXPECT_EQ(Text(StartRoute), u"starte Route");
    Click({Next, Info});
    EXPECT_TRUE(Transcribed("messagebox caption=\"Info\" text=\"Grimsel Hospiz und eine sehr lange "
                            "Beschreibung dazu\" buttons=Ok icon=None",
                            /*prefixOnly=*/true));
    Click({StartRoute});
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_EQ(dialog->Result(), 1);
    EXPECT_EQ(device.Get(u"\\My Documents\\route.cfg"),
              "akt=2\nroute=\\My Documents\\Touren\\Alpen\\pass.asc\n");
    EXPECT_NE(device.Get(u"\\My Documents\\target.3na").find("Laenge:8.40000000\n"),
              std::string::npos);
}

TEST_F(LokaroDialogTest, AnActiveRouteOpensAtItsStopAndGoalEndsTheRoute) {
    device.Put(u"\\My Documents\\r.asc", "1,2,\"Eins\"\n3,4,\"Zwei\"\n5,6,\"Drei\"\n");
    routes.setRouteFile(u"\\My Documents\\r.asc");
    routes.writeRouteState(1);
    setFlag(FlagKey, u"Lokaro_Route", FlagMode::Set);
    settings.routeMode = true;
    Open();
    EXPECT_EQ(dialog->GetCurSel(List), 1);
    Click({Next, Goal});
    EXPECT_TRUE(dialog->IsEnded());
    EXPECT_FALSE(platform::FileExists(u"\\My Documents\\route.cfg"));
    EXPECT_FALSE(Flag(u"Lokaro_Route"));
    EXPECT_NE(device.Get(u"\\My Documents\\target.3na").find("Name:Drei\n"), std::string::npos);
}

TEST_F(LokaroDialogTest, EndingARouteFromTheFolderListBeepsAndRemovesItsState) {
    device.Put(u"\\My Documents\\r.asc", "1,2,\"Eins\"\n");
    routes.setRouteFile(u"\\My Documents\\r.asc");
    routes.writeRouteState(0);
    setFlag(FlagKey, u"Lokaro_Route", FlagMode::Set);
    settings.routeMode = true;
    Open();
    Click({NewRoute}); // point mode: "neue Route" lists the folder
    EXPECT_EQ(Text(platform::IdCancel), u"beende Route");
    Click({platform::IdCancel});
    EXPECT_TRUE(Transcribed("beep"));
    EXPECT_FALSE(platform::FileExists(u"\\My Documents\\route.cfg"));
    EXPECT_FALSE(Flag(u"Lokaro_Route"));
    EXPECT_TRUE(dialog->IsEnded());
}

TEST_F(LokaroDialogTest, TheTourGeneratorIsWaitedForAndItsRouteListed) {
    device.Put(u"\\My Documents\\gen.asc", "1,2,\"G0\"\n3,4,\"G1\"\n");
    device.Put(u"\\Tools\\tour.exe",
               "#!/bin/sh\nsleep 0.3\nprintf 'akt=1\\nroute=\\\\my documents\\\\gen.asc\\n' > "
               "\"$(dirname \"$0\")/../My Documents/route.cfg\"\n");
    fs::permissions(device.HostPath(u"\\Tools\\tour.exe"), fs::perms::owner_all);
    settings.routeMode = true;
    settings.tourGenerator = u"\\Tools\\tour.exe:--fast";
    Open();
    EXPECT_TRUE(dialog->IsShown(NewRoute));
    EXPECT_EQ(Text(NewRoute), u"Tour Gen");
    Click({NewRoute});
    EXPECT_EQ(Items(), (std::vector<std::u16string>{u"G0", u"G1"}));
    EXPECT_EQ(dialog->GetCurSel(List), 1);
    EXPECT_TRUE(Flag(u"Lokaro_Route"));

    // A generator that cannot start is forgotten: its button goes.
    dialog->Destroy();
    platform::DeleteFile(u"\\My Documents\\route.cfg");
    settings.tourGenerator = u"\\Tools\\missing.exe";
    Open();
    Click({NewRoute});
    EXPECT_FALSE(dialog->IsShown(NewRoute));
}
