#include "IniCheck.h"
#include "IniEncoding.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace ceini;
namespace fs = std::filesystem;

namespace {

class IniCheck : public ::testing::Test {
protected:
    platform::testing::TempDevice device;

    fs::path Write(const std::string& name, std::u16string_view text) {
        const fs::path path = device.Root() / name;
        std::ofstream(path, std::ios::binary) << EncodeDeviceForm(text);
        return path;
    }
    static std::string Joined(const CheckReport& report) {
        std::string out;
        for (const auto& m : report.messages)
            out += m + "\n";
        return out;
    }
};

// The messages are the readers' own: one per line the program would report,
// whatever the kind.
TEST_F(IniCheck, ReportsWhatTheProgramsReaderWould) {
    struct {
        const char* kind;
        std::u16string text;
        std::vector<std::string> messages;
    } const cases[] = {
        {"form",
         u"[Anything]\nAny = 1\nbroken line\n",
         {"IniParser - Ignoriere Fehler: Zeile 3: \"broken line\""}},
        {"form",
         u"Key = 1\n[S]\n",
         {"IniParser - Ignoriere sektionsloses Attribut: Zeile 1: \"Key = 1\""}},
        {"gps",
         u"[GPS-Settings]\nComPort = 1\nAnyTalker = y\nBaud = 4800\nSpeed = 3\n",
         {"IniParser - Ignoriere unbekanntes Attribut: Zeile 5: \"Speed = 3\""}},
        {"gps",
         u"[GPS Settings]\nComPort = 1\n",
         {"IniParser - Ignoriere unbekannte Sektion: Zeile 1: \"[GPS Settings]\"",
          "IniParser - Ignoriere sektionsloses Attribut: Zeile 2: \"ComPort = 1\""}},
        {"Speedo",
         u"[AnalogMetrics]\nRadius = 90\nRadiu = 80\n[AnalogColors]\nNeedle = 0000FF\n",
         {"IniParser - Ignoriere unbekanntes Attribut: Zeile 3: \"Radiu = 80\""}},
        {"main", u"[Settings]\nSaveOnExit = n\nSpeedProtocol = RMC\n", {}},
        {"menu", u"[Metrics]\nItemHeight = 30\n[Colors]\nText = FFFFFF\n", {}},
    };
    for (const auto& c : cases) {
        const fs::path file = Write("a.ini", c.text);
        std::string why;
        const auto report = CheckSettingsFile(file, c.kind, why);
        ASSERT_TRUE(report) << c.kind << ": " << why;
        EXPECT_TRUE(report->read) << c.kind << ": " << platform::ToUtf8(c.text);
        EXPECT_EQ(report->messages, c.messages) << c.kind << ": " << platform::ToUtf8(c.text);
    }
}

TEST_F(IniCheck, EveryReportOfAFileIsShownNotOnlyTheFirst) {
    // A line longer than the parser reads at once comes as several, each reported.
    const std::u16string longLine(600, u'x');
    const fs::path file = Write("many.ini", u"[X]\n[Y]\n" + longLine + u"\n[Z]");
    std::string why;
    const auto report = CheckSettingsFile(file, "main", why);
    ASSERT_TRUE(report) << why;
    EXPECT_EQ(report->messages.size(), 6u) << Joined(*report);
    ASSERT_FALSE(report->messages.empty());
    EXPECT_EQ(report->messages.back(),
              "IniParser - Ignoriere unbekannte Sektion: Zeile 6: \"[Z]\"");
}

TEST_F(IniCheck, AFileNotInTheDeviceFormIsRefusedAsTheProgramRefusesIt) {
    const fs::path file = device.Root() / "utf8.ini";
    std::ofstream(file, std::ios::binary) << "[GPS-Settings]\nComPort = 1\n";
    std::string why;
    const auto report = CheckSettingsFile(file, "gps", why);
    ASSERT_TRUE(report) << why;
    EXPECT_FALSE(report->read);
    ASSERT_EQ(report->messages.size(), 1u) << Joined(*report);
    EXPECT_EQ(report->messages[0].rfind("IniParser - Fehler Die Datei ist leer oder nicht im "
                                        "Unicode Format: ",
                                        0),
              0u)
        << report->messages[0];

    const auto missing = CheckSettingsFile(device.Root() / "none.ini", "form", why);
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->read);
    ASSERT_EQ(missing->messages.size(), 1u);
    EXPECT_EQ(missing->messages[0].rfind("Datei nicht gefunden:", 0), 0u) << missing->messages[0];
}

TEST_F(IniCheck, KindsAreTheProgramsReadersAndAnUnknownOneIsNamed) {
    const fs::path file = Write("a.ini", u"[Background]\n");
    std::string why;
    EXPECT_FALSE(CheckSettingsFile(file, "Skin", why));
    EXPECT_NE(why.find("\"Skin\" is not a kind"), std::string::npos) << why;
    EXPECT_NE(why.find("Speedo"), std::string::npos) << why;

    // A leading part names a class, as in a configuration.
    const auto empty = CheckSettingsFile(file, "Emp", why);
    ASSERT_TRUE(empty) << why;
    EXPECT_TRUE(empty->messages.empty()) << Joined(*empty);
    EXPECT_TRUE(empty->note.empty());
}

} // namespace
