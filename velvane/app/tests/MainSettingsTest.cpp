#include "app/MainSettings.h"
#include "platform/headless.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

constexpr const char16_t* SettingsPath = u"\\Program Files\\Velvane\\Velvane.ini";

bool TranscriptHas(const std::string& part) {
    for (auto& line : platform::TranscriptLines())
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

MainSettings LoadFrom(const TempDevice& device, std::u16string_view lines) {
    device.Put(SettingsPath, Utf16File(lines));
    MainSettings settings;
    EXPECT_TRUE(LoadMainSettings(settings));
    return settings;
}

} // namespace

TEST(MainSettings, ReadsAndWritesTheSameBytes) {
    TempDevice device;
    const std::u16string text = u"[Settings]\r\n"
                                u"GPSIni = ..\\..\\GPS\\gps.ini\r\n"
                                u"Configuration = Config\\Tag.ini\r\n"
                                u"MenuIni = Skins\\Menü.ini\r\n"
                                u"SaveOnExit = n\r\n"
                                u"SpeedProtocol = RMC\r\n";
    MainSettings settings = LoadFrom(device, text);
    // Paths are resolved against the program folder when read.
    EXPECT_EQ(settings.GpsIni(), u"\\GPS\\gps.ini");
    EXPECT_EQ(settings.Configuration(), u"\\Program Files\\Velvane\\Config\\Tag.ini");
    EXPECT_EQ(settings.MenuIni(), u"\\Program Files\\Velvane\\Skins\\Menü.ini");
    EXPECT_FALSE(settings.SaveOnExit());
    EXPECT_EQ(settings.SpeedProtocol(), MainSettings::SpeedFromRmc);
    EXPECT_TRUE(platform::TranscriptLines().empty()) << "no line should have been reported";

    device.Put(SettingsPath, "old");
    ASSERT_TRUE(SaveMainSettings(settings));
    EXPECT_EQ(device.Get(SettingsPath), Utf16File(text));
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(
                  std::filesystem::directory_iterator(device.HostPath(u"\\Program Files\\Velvane")),
                  std::filesystem::directory_iterator()),
              1);
}

TEST(MainSettings, DefaultsWithoutAFileAndWhatTheyWrite) {
    TempDevice device;
    device.Put(u"\\Program Files\\Velvane\\readme.txt", "");
    MainSettings settings;
    EXPECT_FALSE(LoadMainSettings(settings));
    EXPECT_TRUE(TranscriptHas("caption=\"Datei nicht gefunden:\""))
        << "the parser reports the missing file";
    EXPECT_TRUE(settings.GpsIni().empty());
    EXPECT_TRUE(settings.Configuration().empty());
    EXPECT_TRUE(settings.MenuIni().empty());
    EXPECT_TRUE(settings.SaveOnExit());
    EXPECT_EQ(settings.SpeedProtocol(), MainSettings::SpeedFromVtg);
    EXPECT_EQ(settings.PositionProtocol(), MainSettings::PositionFromGga);

    // Absent paths write no line at all; an emptied path becomes absent.
    settings.SetMenuIni(u"\\Program Files\\Velvane\\m.ini");
    settings.SetMenuIni(u"");
    ASSERT_TRUE(SaveMainSettings(settings));
    EXPECT_EQ(device.Get(SettingsPath),
              Utf16File(u"[Settings]\r\nSaveOnExit = y\r\nSpeedProtocol = VTG\r\n"));
}

TEST(MainSettings, ValueRules) {
    TempDevice device;
    struct Case {
        const char16_t* line;
        int speed;
        bool saveOnExit;
        const char16_t* written;
    } cases[] = {
        {u"SpeedProtocol = R", 1, true, u"SpeedProtocol = RMC"},
        {u"SpeedProtocol = RM", 1, true, u"SpeedProtocol = RMC"},
        {u"SpeedProtocol = RMC", 1, true, u"SpeedProtocol = RMC"},
        {u"SpeedProtocol = rmc", 0, true, u"SpeedProtocol = VTG"},
        {u"SpeedProtocol = RMCX", 0, true, u"SpeedProtocol = VTG"},
        {u"SpeedProtocol = GGA", 0, true, u"SpeedProtocol = VTG"},
        {u"SpeedProtocol = Auto", 3, true, u"SpeedProtocol = Auto"},
        {u"SpeedProtocol = AUTO", 3, true, u"SpeedProtocol = Auto"},
        {u"SpeedProtocol = A", 0, true, u"SpeedProtocol = VTG"}, // a part is not enough
        {u"SpeedProtocol = Automatic", 0, true, u"SpeedProtocol = VTG"},
        {u"SaveOnExit = ja", 0, true, u"SaveOnExit = y"},
        {u"SaveOnExit = 1", 0, true, u"SaveOnExit = y"},
        {u"SaveOnExit = true", 0, true, u"SaveOnExit = y"},
        {u"SaveOnExit = nein", 0, false, u"SaveOnExit = n"},
        {u"SaveOnExit = 0", 0, false, u"SaveOnExit = n"},
        {u"SaveOnExit = Ja", 0, false, u"SaveOnExit = n"},
    };
    for (const auto& c : cases) {
        const std::string input = platform::ToUtf8(c.line);
        MainSettings settings =
            LoadFrom(device, u"[Settings]\r\n" + std::u16string(c.line) + u"\r\n");
        EXPECT_EQ(settings.SpeedProtocol(), c.speed) << input;
        EXPECT_EQ(settings.SaveOnExit(), c.saveOnExit) << input;
        ASSERT_TRUE(SaveMainSettings(settings)) << input;
        std::string written = device.Get(SettingsPath);
        EXPECT_NE(written.find(Utf16File(std::u16string(c.written) + u"\r\n", false)),
                  std::string::npos)
            << input;
    }
}

TEST(MainSettings, OtherSectionsAndKeysAreReportedAndSkipped) {
    TempDevice device;
    // Cancel would silence the rest of the file.
    platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    MainSettings settings =
        LoadFrom(device, u"[Einstellungen]\r\nSaveOnExit = n\r\n"
                         u"[Settings]\r\nSpeed = RMC\r\nFoo = 1\r\nSaveOnExit = n\r\n");
    EXPECT_TRUE(TranscriptHas("Ignoriere unbekannte Sektion:"));
    EXPECT_TRUE(TranscriptHas("Ignoriere unbekanntes Attribut:"));
    // Only the line in the right section counts; "Speed" is a leading part of "SpeedProtocol".
    EXPECT_FALSE(settings.SaveOnExit());
    EXPECT_EQ(settings.SpeedProtocol(), MainSettings::SpeedFromRmc);
}

TEST(MainSettings, AFailedSaveKeepsTheOldFileAndSaysSo) {
    {
        // The program folder does not exist.
        TempDevice device;
        MainSettings settings;
        EXPECT_FALSE(SaveMainSettings(settings));
        EXPECT_FALSE(std::filesystem::exists(device.HostPath(SettingsPath)));
    }
    {
        // Something that is not a file is in the way.
        TempDevice device;
        std::filesystem::create_directories(device.HostPath(SettingsPath));
        MainSettings settings;
        EXPECT_FALSE(SaveMainSettings(settings));
        EXPECT_TRUE(std::filesystem::is_directory(device.HostPath(SettingsPath)));
    }
    {
        // The disk fills up in the middle of the file: the file size limit
        // makes writes fail after a few bytes, as a full card would.
        TempDevice device;
        const std::string old = Utf16File(u"[Settings]\r\nSaveOnExit = n\r\n");
        device.Put(SettingsPath, old);
        MainSettings settings;
        settings.SetGpsIni(u"\\Storage Card\\GPS\\a very long folder name\\gps.ini");
        settings.SetConfiguration(u"\\Storage Card\\Konfigurationen\\Tag und Nacht.ini");

        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 40;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved_ok = SaveMainSettings(settings);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_FALSE(saved_ok);
        EXPECT_EQ(device.Get(SettingsPath), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(
                                    device.HostPath(u"\\Program Files\\Velvane")),
                                std::filesystem::directory_iterator()),
                  1)
            << "the temporary file is removed";
    }
}

TEST(MainSettings, UnknownProgramFolderReadsAndWritesNothing) {
    TempDevice device(u"Velvane.exe");
    MainSettings settings;
    EXPECT_FALSE(LoadMainSettings(settings));
    EXPECT_FALSE(SaveMainSettings(settings));
    EXPECT_TRUE(TranscriptHas("text=\"Der Pfad zum Programm konnte nicht ermittelt werden.\""));
}

// Off unless given; kept within an hour; written back only when set, so
// files without it keep their bytes.
TEST(MainSettings, StaleAfterIsReadBoundedAndWrittenOnlyWhenSet) {
    const struct {
        const char16_t* line;
        int seconds;
    } cases[] = {
        {u"StaleAfter = 5", 5},
        {u"StaleAfter = 3600", 3600},
        {u"StaleAfter = 0", 0},
        {u"StaleAfter = -3", 0},
        {u"StaleAfter = 99999", MainSettings::MaxStaleAfter},
    };
    for (const auto& c : cases) {
        TempDevice device;
        const std::u16string text = u"[Settings]\r\nSaveOnExit = y\r\nSpeedProtocol = VTG\r\n" +
                                    std::u16string(c.line) + u"\r\n";
        MainSettings settings = LoadFrom(device, text);
        EXPECT_EQ(settings.StaleAfter(), c.seconds) << platform::ToUtf8(c.line);
        ASSERT_TRUE(SaveMainSettings(settings));
        const std::u16string written = u"[Settings]\r\nSaveOnExit = y\r\nSpeedProtocol = VTG\r\n";
        EXPECT_EQ(device.Get(SettingsPath),
                  Utf16File(c.seconds == 0
                                ? written
                                : written + u"StaleAfter = " +
                                      platform::FromUtf8(std::to_string(c.seconds)) + u"\r\n"))
            << platform::ToUtf8(c.line);
    }
}

TEST(MainSettings, MirrorAndRotationAreReadAndKeptOnlyWhenSet) {
    TempDevice device;
    const struct {
        const char16_t* lines;
        bool mirror;
        int rotation;
        const char16_t* written; // nullptr: neither key is written
    } cases[] = {
        {u"", false, 0, nullptr},
        {u"Mirror = y\r\nRotation = 90\r\n", true, 90, u"Mirror = y\r\nRotation = 90\r\n"},
        {u"Rotation = 270\r\n", false, 270, u"Rotation = 270\r\n"},
        {u"Mirror = n\r\nRotation = 0\r\n", false, 0, nullptr},
        {u"Rotation = 45\r\n", false, 0, nullptr}, // said on stderr, upright
        {u"Rotation = 90x\r\n", false, 0, nullptr},
        {u"Rotation = -90\r\n", false, 0, nullptr},
    };
    for (const auto& c : cases) {
        const std::string input = platform::ToUtf8(c.lines);
        MainSettings settings = LoadFrom(device, u"[Settings]\r\n" + std::u16string(c.lines));
        EXPECT_EQ(settings.Mirror(), c.mirror) << input;
        EXPECT_EQ(settings.Rotation(), c.rotation) << input;
        ASSERT_TRUE(SaveMainSettings(settings)) << input;
        const std::string written = device.Get(SettingsPath);
        if (c.written) {
            EXPECT_NE(written.find(Utf16File(c.written, false)), std::string::npos) << input;
        } else {
            EXPECT_EQ(written.find(Utf16File(u"Mirror", false)), std::string::npos) << input;
            EXPECT_EQ(written.find(Utf16File(u"Rotation", false)), std::string::npos) << input;
        }
    }
}
