#include "app/ComponentFactory.h"
#include "app/TachoModel.h"
#include "display/Screen.h"
#include "instruments/SpeedoView.h"

#include "platform/file.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

constexpr char16_t ConfigPath[] = u"\\Storage Card\\Konfig\\Tag.ini";

std::vector<std::string> Lines(const std::string& part) {
    std::vector<std::string> found;
    for (const auto& line : platform::TranscriptLines())
        if (line.find(part) != std::string::npos)
            found.push_back(line);
    return found;
}

std::vector<std::u16string> Paths(const IniFileList& list) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < list.Count(); ++i)
        paths.push_back((list.IsActive(i) ? u"+" : u"") + *list.GetPath(i));
    return paths;
}

class Configuration : public ::testing::Test {
protected:
    void SetUp() override {
        m_device.Put(u"\\Program Files\\Velvane\\Velvane.exe", "");
        platform::TranscriptClear();
    }
    void TearDown() override { platform::headless::ClearMessageBoxAnswers(); }
    // Keeps the parser reporting: an unanswered report counts as Cancel.
    static void AnswerReportsWithOk(int count) {
        for (int i = 0; i < count; ++i)
            platform::headless::QueueMessageBoxAnswer(u"*", platform::IdOk);
    }

    void PutConfig(std::u16string_view text, std::u16string_view path = ConfigPath) {
        m_device.Put(path, Utf16File(text));
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 320, 240};
    TachoModel m_model{nullptr, &m_screen};
};

TEST(ComponentFactory, TableOrderAndKeywordMatch) {
    const auto classes = ComponentClasses();
    ASSERT_EQ(classes.size(), 23u);
    std::u16string names, labels;
    for (const ComponentClass* cls : classes) {
        names += std::u16string(cls->sectionName) + u",";
        labels += std::u16string(cls->label) + u",";
    }
    EXPECT_EQ(
        names,
        u"Speedo,SpeedChart,AltitudeChart,AccelerationChart,Route,Empty,FullLog,SpeedLog,TopSpeed,"
        u"AverageSpeed,SatCount,Odometer,JourneyTime,HDOP,FPS,CustomText,UniversalGPS,GeoCache,"
        u"UphillGrade,AccelerationOverlay,Battery,Clock,Compass,");
    EXPECT_EQ(
        labels,
        u"Tacho,Geschw.,Höhe,Beschl.,Route,Leer,NMEA-Daten,Geschwindigkeit,Vmax,Ø-Geschw.,"
        u"Satelliten,Kilometerzähler,Fahrzeit,Empfang,FPS,Text,UniversalGPS,GeoCache,Steigung,"
        u"Beschleunigung,Batterie,Uhr,Kompass,");
    for (size_t i = 0; i < classes.size(); ++i) {
        EntryKind want = i < 6 ? EntryKind::View : i < 8 ? EntryKind::Log : EntryKind::Overlay;
        EXPECT_EQ(classes[i]->kind, want) << platform::ToUtf8(classes[i]->sectionName);
    }

    struct Case {
        const char16_t* text;
        const char16_t* want; // null: no class
    } cases[] = {
        {u"Spe", u"Speedo"},
        {u"Speed", u"Speedo"},
        {u"SpeedC", u"SpeedChart"},
        {u"SpeedChart", u"SpeedChart"},
        {u"Speedox", nullptr},
        {u"SpeedLog", u"SpeedLog"},
        {u"", u"Speedo"},
        {u"A", u"AltitudeChart"},
        {u"Acc", u"AccelerationChart"},
        {u"Accel", u"AccelerationChart"},
        {u"AccelerationO", u"AccelerationOverlay"},
        {u"speedo", nullptr},
        {u"Compass", u"Compass"},
        {u"CompassX", nullptr},
    };
    for (const auto& c : cases) {
        const ComponentClass* found = FindComponentClass(c.text);
        std::u16string name = found ? found->sectionName : u"(none)";
        EXPECT_EQ(name, c.want ? c.want : u"(none)") << platform::ToUtf8(c.text);
    }
}

TEST_F(Configuration, EveryClassMakesItsOwnEntry) {
    Screen& screen = m_screen;
    auto speedo = FindComponentClass(u"Speedo")->CreateEntry(screen, &m_model);
    EXPECT_NE(dynamic_cast<ComponentEntryOf<SpeedoView>*>(speedo.get()), nullptr);
    auto empty = FindComponentClass(u"Empty")->CreateEntry(screen, &m_model);
    EXPECT_EQ(empty->GetLabel(), u"Leer");
    ASSERT_TRUE(empty->Activate());
    EXPECT_NE(empty->GetDrawable(), nullptr);
    empty->Deactivate();
    // Every entry, and every clone of it, carries its class's menu label.
    for (const ComponentClass* cls : ComponentClasses()) {
        auto entry = cls->CreateEntry(screen, &m_model);
        EXPECT_EQ(entry->GetLabel(), std::u16string_view(cls->label)) << platform::ToUtf8(cls->sectionName);
        EXPECT_EQ(entry->Clone(screen, &m_model)->GetLabel(), entry->GetLabel());
    }
}

TEST_F(Configuration, SectionsKeysAndPaths) {
    PutConfig(u"; eine Konfiguration\r\n"
              u"[Spe]\r\n"
              u"I = ..\\Skins\\day.ini\r\n"
              u"Init = j\r\n"
              u"InitialI = ..\\Skins\\night.ini\r\n"
              u"Ini = tag.ini\r\n"
              u"[Empty]\r\n"
              u"Initial = y\r\n"
              u"Ini = yes.ini\r\n"
              u"[SpeedChart]\r\n"
              u"Initial = n\r\n"
              u"[Speedox]\r\n"
              u"Ini = lost.ini\r\n"
              u"[TopSpeed]\r\n"
              u"Ini = a.ini\r\n"
              u"Ini = \\b.ini\r\n"
              u"Ini = ..\\..\\c.ini\r\n"
              u"[Clock]\r\n"
              u"Initial = y\r\n"
              u"Init = uhr.ini\r\n"
              u"Ini = x.ini\r\n"
              u"Farbe = rot\r\n"
              u"[FullLog]\r\n"
              u"InitialIni = nmea.ini\r\n");
    AnswerReportsWithOk(3);
    EXPECT_TRUE(m_model.Load(ConfigPath));

    const auto& views = m_model.Views();
    ASSERT_EQ(views.size(), 3u);
    EXPECT_EQ(views[0].name, u"Speedo") << "the factory's name, not the file's";
    EXPECT_EQ(views[1].name, u"Empty");
    EXPECT_EQ(views[2].name, u"SpeedChart");
    EXPECT_EQ(Paths(*views[0].holder),
              (std::vector<std::u16string>{u"\\Storage Card\\Skins\\day.ini",
                                           u"+\\Storage Card\\Skins\\night.ini",
                                           u"\\Storage Card\\Konfig\\tag.ini"}));
    EXPECT_EQ(views[0].holder->CurrentIndex(), 1);
    // Two views say "Initial = y": the later one wins; "n" changes nothing,
    // and a path beginning with "y" is no boolean.
    EXPECT_EQ(m_model.InitialView(), views[1].holder.get());

    const auto& overlays = m_model.Overlays();
    ASSERT_EQ(overlays.size(), 2u);
    EXPECT_EQ(overlays[0].name, u"TopSpeed");
    EXPECT_EQ(Paths(*overlays[0].holder),
              (std::vector<std::u16string>{u"\\Storage Card\\Konfig\\a.ini",
                                           u"\\Storage Card\\Konfig\\b.ini", u"\\c.ini"}))
        << "three files, three instances; a leading separator stays inside the folder";
    // No "Initial" key in overlay sections: it is a short "InitialIni".
    EXPECT_EQ(Paths(*overlays[1].holder),
              (std::vector<std::u16string>{u"+\\Storage Card\\Konfig\\y",
                                           u"+\\Storage Card\\Konfig\\uhr.ini",
                                           u"\\Storage Card\\Konfig\\x.ini"}));
    ASSERT_EQ(m_model.Logs().size(), 1u);
    EXPECT_EQ(m_model.Logs()[0].name, u"FullLog");
    EXPECT_EQ(Paths(*m_model.Logs()[0].holder),
              (std::vector<std::u16string>{u"+\\Storage Card\\Konfig\\nmea.ini"}));

    EXPECT_EQ(Lines("Ignoriere unbekannte Sektion:").size(), 1u);
    auto sectionless = Lines("Ignoriere sektionsloses Attribut:");
    ASSERT_EQ(sectionless.size(), 1u);
    EXPECT_NE(sectionless[0].find("lost.ini"), std::string::npos)
        << "a bad section's lines go nowhere";
    auto unknown = Lines("Ignoriere unbekanntes Attribut:");
    ASSERT_EQ(unknown.size(), 1u);
    EXPECT_NE(unknown[0].find("Farbe"), std::string::npos);
}

TEST_F(Configuration, WithoutAViewThereIsASpeedo) {
    EXPECT_FALSE(m_model.Load(u""));
    ASSERT_EQ(m_model.Views().size(), 1u);
    EXPECT_EQ(m_model.Views()[0].name, u"Speedo");
    EXPECT_EQ(m_model.Views()[0].holder->GetLabel(), u"Tacho");
    EXPECT_EQ(m_model.Views()[0].holder->Count(), 0);
    EXPECT_EQ(m_model.InitialView(), nullptr) << "it is not switched on";
    EXPECT_TRUE(platform::TranscriptLines().empty()) << "no path, nothing read, nothing said";

    PutConfig(u"[Clock]\r\nIni = uhr.ini\r\n");
    EXPECT_TRUE(m_model.Load(ConfigPath));
    ASSERT_EQ(m_model.Views().size(), 1u);
    EXPECT_EQ(m_model.Views()[0].name, u"Speedo");
    EXPECT_EQ(m_model.Overlays().size(), 1u);

    // A missing file is reported, its path kept for the next save.
    EXPECT_FALSE(m_model.Load(u"\\Storage Card\\weg.ini"));
    EXPECT_EQ(
        Lines("caption=\"Datei nicht gefunden:\" text=\"\\\\Storage Card\\\\weg.ini\"").size(), 1u);
    EXPECT_EQ(m_model.Settings().Configuration(), u"\\Storage Card\\weg.ini");
    EXPECT_EQ(m_model.Views().size(), 1u);
    EXPECT_TRUE(m_model.Overlays().empty());
}

TEST_F(Configuration, LoadingReleasesComponentsAndSources) {
    m_model.CreateReceiver();
    PutConfig(u"[Speedo]\r\n[Empty]\r\n");
    m_model.Load(ConfigPath);
    SingleViewManager& speedo = *m_model.Views()[0].holder;
    Drawable* view = speedo.Activate();
    ASSERT_NE(view, nullptr);
    m_screen.SetView(view);
    ASSERT_NE(m_model.GetSpeedSource(), nullptr) << "the speedometer listens to speeds";
    m_model.SetInitialView(&speedo);

    m_model.Load(ConfigPath);
    EXPECT_EQ(m_model.GetSpeedSource(), nullptr);
    EXPECT_EQ(m_model.Receiver()->SentenceListenerCount(), 0u);
    EXPECT_NE(m_screen.View(), view) << "the screen no longer shows the released view";
    EXPECT_EQ(m_model.InitialView(), nullptr);
    EXPECT_EQ(m_model.Views().size(), 2u);
}

// The exact layout: one empty line between sections and between the blocks,
// none at the end; paths relative to the configuration's folder.
const std::u16string Canonical = u"[Speedo]\r\n"
                                 u"Initial = y\r\n"
                                 u"Ini = ..\\Skins\\day.ini\r\n"
                                 u"InitialIni = ..\\Skins\\night.ini\r\n"
                                 u"\r\n"
                                 u"[Empty]\r\n"
                                 u"Ini = leer.ini\r\n"
                                 u"\r\n"
                                 u"[FullLog]\r\n"
                                 u"Ini = ..\\..\\Logs\\nmea.ini\r\n"
                                 u"\r\n"
                                 u"[TopSpeed]\r\n"
                                 u"Ini = a.ini\r\n"
                                 u"InitialIni = b.ini\r\n"
                                 u"Ini = Unter\\c.ini\r\n"
                                 u"\r\n"
                                 u"[TopSpeed]\r\n"
                                 u"\r\n"
                                 u"[Clock]\r\n"
                                 u"InitialIni = uhr.ini\r\n";

TEST_F(Configuration, SavedByteForByteAndLoadedToTheSameState) {
    PutConfig(Canonical);
    ASSERT_TRUE(m_model.Load(ConfigPath));
    m_device.Put(ConfigPath, "");
    ASSERT_TRUE(m_model.SaveConfiguration());
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(Canonical));
    EXPECT_TRUE(Lines("Fehler beim Speichern").empty());
    // The main settings go with it, naming the configuration.
    const std::string settings = m_device.Get(u"\\Program Files\\Velvane\\Velvane.ini");
    EXPECT_NE(settings.find(
                  Utf16File(u"Configuration = ..\\..\\Storage Card\\Konfig\\Tag.ini\r\n", false)),
              std::string::npos);

    // Saved elsewhere, the same files are reached by other relative paths,
    // and reading that file gives the same holders.
    m_device.Put(u"\\Storage Card\\Andere\\Tief\\liesmich.txt", "");
    ASSERT_TRUE(m_model.SaveConfigurationAs(u"\\Storage Card\\Andere\\Tief\\Kopie.ini"));
    const std::string copy = m_device.Get(u"\\Storage Card\\Andere\\Tief\\Kopie.ini");
    EXPECT_NE(copy.find(Utf16File(u"Ini = ..\\..\\Konfig\\Unter\\c.ini\r\n", false)),
              std::string::npos);
    TachoModel again(nullptr, &m_screen);
    ASSERT_TRUE(again.Load(u"\\Storage Card\\Andere\\Tief\\Kopie.ini"));
    ASSERT_EQ(again.Views().size(), m_model.Views().size());
    ASSERT_EQ(again.Overlays().size(), 3u);
    for (size_t i = 0; i < again.Views().size(); ++i)
        EXPECT_EQ(Paths(*again.Views()[i].holder), Paths(*m_model.Views()[i].holder));
    for (size_t i = 0; i < again.Overlays().size(); ++i) {
        EXPECT_EQ(again.Overlays()[i].name, m_model.Overlays()[i].name);
        EXPECT_EQ(Paths(*again.Overlays()[i].holder), Paths(*m_model.Overlays()[i].holder));
    }
    EXPECT_EQ(Paths(*again.Logs()[0].holder), Paths(*m_model.Logs()[0].holder));
    EXPECT_EQ(again.InitialView(), again.Views()[0].holder.get());
}

TEST_F(Configuration, TheSampleConfigurationRoundTrips) {
    const std::filesystem::path sample = std::filesystem::path(SUITE_SOURCE_DIR) /
                                         "samples/device/Program Files/Velvane/Konfig/Standard.ini";
    std::ifstream in(sample, std::ios::binary);
    if (!in)
        GTEST_SKIP() << "no sample device here";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::u16string path = u"\\Program Files\\Velvane\\Konfig\\Standard.ini";
    m_device.Put(path, bytes);
    ASSERT_TRUE(m_model.Load(path));
    EXPECT_TRUE(platform::TranscriptLines().empty());
    m_device.Put(path, "");
    ASSERT_TRUE(m_model.SaveConfiguration());
    EXPECT_EQ(m_device.Get(path), bytes);
}

TEST_F(Configuration, ShortFormsAreWrittenInFull) {
    PutConfig(
        u"[Spe]\r\nInit = 1\r\nI = tag.ini\r\n[TopS]\r\nIni = a.ini\r\n[Clock]\r\nInitial = y\r\n");
    m_model.Load(ConfigPath);
    ASSERT_TRUE(m_model.SaveConfiguration());
    EXPECT_EQ(m_device.Get(ConfigPath),
              Utf16File(u"[Speedo]\r\nInitial = y\r\nIni = tag.ini\r\n\r\n"
                        u"[TopSpeed]\r\nIni = a.ini\r\n\r\n"
                        u"[Clock]\r\nInitialIni = y\r\n"));
}

TEST_F(Configuration, OnlyViewsAndLogs) {
    PutConfig(u"[Empty]\r\n[SpeedLog]\r\nIni = s.ini\r\n");
    m_model.Load(ConfigPath);
    ASSERT_TRUE(m_model.SaveConfiguration());
    // The log block is closed by its empty line even with nothing after it.
    EXPECT_EQ(m_device.Get(ConfigPath),
              Utf16File(u"[Empty]\r\n\r\n[SpeedLog]\r\nIni = s.ini\r\n\r\n"));
}

TEST_F(Configuration, WithoutAPathTheUserNamesTheFile) {
    m_model.Load(u"");
    platform::headless::QueueFileDialogAnswer(u"Konfiguration speichern:", std::nullopt);
    EXPECT_FALSE(m_model.SaveConfiguration());
    EXPECT_TRUE(Lines("Fehler beim Speichern").empty())
        << "cancel writes nothing and reports nothing";
    EXPECT_FALSE(platform::FileExists(u"\\Program Files\\Velvane\\Velvane.ini"));

    platform::headless::QueueFileDialogAnswer(u"Konfiguration speichern:",
                                              u"\\Program Files\\Velvane\\neu.ini");
    ASSERT_TRUE(m_model.SaveConfiguration());
    EXPECT_EQ(m_model.Settings().Configuration(), u"\\Program Files\\Velvane\\neu.ini");
    EXPECT_EQ(m_device.Get(u"\\Program Files\\Velvane\\neu.ini"), Utf16File(u"[Speedo]\r\n\r\n"));
    EXPECT_EQ(Lines("filedialog").size(), 2u);
}

TEST_F(Configuration, AFailedSaveOffersRetryOnTheSamePath) {
    PutConfig(u"[Speedo]\r\nIni = tag.ini\r\n");
    m_model.Load(ConfigPath);
    // A folder in the file's place: it cannot be written.
    const std::u16string blocked = u"\\Storage Card\\Gesperrt.ini";
    m_device.Put(blocked + u"\\inside", "x");
    platform::headless::QueueMessageBoxAnswer(u"Fehler beim Speichern", platform::IdRetry);
    EXPECT_FALSE(m_model.SaveConfigurationAs(blocked));

    auto boxes = Lines("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(
        boxes[0],
        "messagebox caption=\"Fehler beim Speichern\" text=\"Die Einstellungen wurden nicht\\n"
        "vollständig gespeichert werden.\" buttons=RetryCancel icon=Error answer=Retry");
    EXPECT_NE(boxes[1].find("answer=Cancel"), std::string::npos);
    EXPECT_TRUE(Lines("filedialog").empty()) << "Retry uses the path it has";
    EXPECT_EQ(m_model.Settings().Configuration(), ConfigPath) << "given up, the old path stays";
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(u"[Speedo]\r\nIni = tag.ini\r\n"))
        << "the old file is untouched";
}

constexpr char16_t SettingsPath[] = u"\\Program Files\\Velvane\\Velvane.ini";

TEST_F(Configuration, TheSaveOnExitKeepsAConfigurationThatCouldNotBeRead) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"saved as UTF-8", "[Speedo]\r\nInitial = y\r\nIni = tag.ini\r\n"},
        {"empty", ""},
        {"garbage", std::string("\x00\x13\xFE\xFF\x7F garbage", 14)},
    };
    for (const auto& c : cases) {
        m_device.Put(ConfigPath, c.bytes);
        m_device.Put(SettingsPath, "");
        EXPECT_FALSE(m_model.Load(ConfigPath)) << c.name;
        ASSERT_TRUE(m_model.SaveAtExit()) << c.name;
        EXPECT_EQ(m_device.Get(ConfigPath), c.bytes) << c.name << ": the user's file is kept";
        EXPECT_NE(
            m_device.Get(SettingsPath)
                .find(Utf16File(u"Configuration = ..\\..\\Storage Card\\Konfig\\Tag.ini", false)),
            std::string::npos)
            << c.name << ": the main settings are saved and still name it";
    }
    // Asked for, it is written.
    ASSERT_TRUE(m_model.SaveConfiguration());
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(u"[Speedo]\r\n\r\n"));
}

TEST_F(Configuration, TheSaveOnExitWritesWhatWasReadOrMissing) {
    // A missing file holds nothing to lose: it is made on exit.
    m_device.Put(u"\\Storage Card\\Konfig\\Nacht.ini", "");
    m_model.Load(ConfigPath);
    ASSERT_TRUE(m_model.SaveAtExit());
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(u"[Speedo]\r\n\r\n"));

    PutConfig(u"[Speedo]\r\nIni = tag.ini\r\n");
    m_model.Load(ConfigPath);
    m_model.NoteUnreadFile(u"\\Storage Card\\Konfig\\anderer.ini");
    ASSERT_TRUE(m_model.SaveAtExit());
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(u"[Speedo]\r\nIni = tag.ini\r\n\r\n"))
        << "a file the configuration does not list changes nothing";
}

TEST_F(Configuration, TheSaveOnExitKeepsAConfigurationWhoseFilesFailed) {
    const std::u16string text = u"[Speedo]\r\nInitialIni = tag.ini\r\nIni = nacht.ini\r\n";
    PutConfig(text);
    ASSERT_TRUE(m_model.Load(ConfigPath));
    // The skin could not be loaded and left the list, as the menu does it.
    SingleViewManager& speedo = *m_model.Views()[0].holder;
    m_model.NoteUnreadFile(*speedo.GetPath(0));
    speedo.RemoveIni(0);
    ASSERT_TRUE(m_model.SaveAtExit());
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(text));
    ASSERT_TRUE(m_model.SaveConfiguration()) << "an explicit save still writes";
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(u"[Speedo]\r\nIni = nacht.ini\r\n\r\n"));

    // Loading another configuration starts afresh.
    PutConfig(text);
    m_model.Load(ConfigPath);
    m_model.NoteUnreadFile(u"\\Storage Card\\Konfig\\tag.ini");
    m_model.Load(ConfigPath);
    m_model.Views()[0].holder->RemoveIni(1);
    ASSERT_TRUE(m_model.SaveAtExit());
    EXPECT_EQ(m_device.Get(ConfigPath), Utf16File(u"[Speedo]\r\nInitialIni = tag.ini\r\n\r\n"));
}

TEST_F(Configuration, AConfigurationIsNeverSavedOverTheMainSettings) {
    const std::string settings = Utf16File(u"[Settings]\r\nGPSIni = gps.ini\r\n");
    PutConfig(u"[Speedo]\r\nIni = tag.ini\r\n");
    m_model.Load(ConfigPath);
    for (const char16_t* spelling :
         {u"\\Program Files\\Velvane\\Velvane.ini", u"/program files/velvane/VELVANE.INI",
          u"\\Program Files\\Velvane\\Konfig\\..\\Velvane.ini"}) {
        m_device.Put(SettingsPath, settings);
        platform::TranscriptClear();
        EXPECT_FALSE(m_model.SaveConfigurationAs(spelling)) << platform::ToUtf8(spelling);
        EXPECT_EQ(m_device.Get(SettingsPath), settings) << platform::ToUtf8(spelling);
        auto boxes = Lines("messagebox");
        ASSERT_EQ(boxes.size(), 1u) << platform::ToUtf8(spelling);
        EXPECT_EQ(boxes[0],
                  "messagebox caption=\"Fehler beim Speichern\" text=\"Eine Konfiguration kann "
                  "nicht als Velvane.ini neben dem Programm gespeichert werden.\\nBitte wählen "
                  "Sie einen anderen Namen.\" buttons=RetryCancel icon=Error answer=Cancel");
        EXPECT_EQ(m_model.Settings().Configuration(), ConfigPath);
    }
    // Retry asks for another name.
    platform::headless::QueueMessageBoxAnswer(u"Fehler beim Speichern", platform::IdRetry);
    platform::headless::QueueFileDialogAnswer(u"Konfiguration speichern:",
                                              u"\\Program Files\\Velvane\\Mein.ini");
    ASSERT_TRUE(m_model.SaveConfigurationAs(SettingsPath));
    EXPECT_EQ(m_model.Settings().Configuration(), u"\\Program Files\\Velvane\\Mein.ini");
    EXPECT_EQ(m_device.Get(u"\\Program Files\\Velvane\\Mein.ini"),
              Utf16File(u"[Speedo]\r\nIni = ..\\..\\Storage Card\\Konfig\\tag.ini\r\n\r\n"));
    EXPECT_NE(m_device.Get(SettingsPath).find(Utf16File(u"Configuration = Mein.ini", false)),
              std::string::npos);
}

TEST_F(Configuration, AGivenUpSaveAsKeepsThePreviousPath) {
    PutConfig(u"[Speedo]\r\nIni = tag.ini\r\n");
    m_model.Load(ConfigPath);
    EXPECT_FALSE(m_model.SaveConfigurationAs(u"\\Nirgends\\neu.ini"));
    EXPECT_EQ(Lines("Fehler beim Speichern").size(), 1u);
    EXPECT_EQ(m_model.Settings().Configuration(), ConfigPath);
    EXPECT_NE(m_device.Get(SettingsPath)
                  .find(Utf16File(u"Configuration = ..\\..\\Storage Card\\Konfig\\Tag.ini", false)),
              std::string::npos)
        << "the main settings name the file that exists";
    EXPECT_EQ(m_device.Get(SettingsPath).find(Utf16File(u"neu.ini", false)), std::string::npos);
}

// Start-up: main settings, a usable GPS settings file, then the configuration.
class StartUp : public Configuration {
protected:
    void SetUp() override {
        platform::HostSettings host = platform::Host();
        host.ports = "COM2=replay:" + (m_device.Root() / "drive.nmea").string();
        platform::Initialize(host);
        m_device.Put(u"\\drive.nmea", "$GPVTG,054.7,T,034.4,M,005.5,N,022.8,K*48\r\n");
        m_device.Put(u"\\GPS\\gps.ini",
                     Utf16File(u"[GPS-Settings]\r\nComPort = 2\r\nBaudRate = 4800\r\n"));
        m_device.Put(u"\\GPS\\kaputt.ini",
                     Utf16File(u"[GPS-Settings]\r\nComPort = 9\r\nBaudRate = 4800\r\n"));
        platform::TranscriptClear();
    }
    std::vector<std::u16string> m_dialogPaths; // what each dialog "chooses"; empty: cancel
    int m_dialogs = 0;
    TachoModel::GpsDialogFn Dialog() {
        return [this](MainSettings& settings) {
            std::u16string choice =
                m_dialogs < static_cast<int>(m_dialogPaths.size()) ? m_dialogPaths[m_dialogs] : u"";
            ++m_dialogs;
            if (choice == u"abandon")
                return GpsDialogResult::Abandoned;
            if (choice.empty())
                return GpsDialogResult::Cancelled;
            settings.SetGpsIni(choice);
            return GpsDialogResult::Ok;
        };
    }
};

TEST_F(StartUp, FirstStartWithoutSettingsEndsWhenTheUserQuits) {
    platform::headless::QueueMessageBoxAnswer(u"Beenden?", platform::IdYes);
    EXPECT_FALSE(m_model.StartUp(Dialog()));
    EXPECT_EQ(m_dialogs, 1);
    auto boxes = Lines("messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].find("caption=\"Datei nicht gefunden:\""), std::string::npos);
    EXPECT_EQ(
        boxes[1],
        "messagebox caption=\"Beenden?\" text=\"Ohne gültige GPS-Ini funktioniert das Programm "
        "nicht. Wollen Sie es jetzt beenden?\" buttons=YesNo icon=Information answer=Yes");
}

TEST_F(StartUp, TheDialogComesBackUntilAFileWorks) {
    m_device.Put(
        u"\\Program Files\\Velvane\\Velvane.ini",
        Utf16File(u"[Settings]\r\nConfiguration = ..\\..\\Storage Card\\Konfig\\Tag.ini\r\n"
                  u"SpeedProtocol = RMC\r\n"));
    PutConfig(u"[Empty]\r\nInitial = y\r\n");
    // Cancel, then No to quitting; a port that does not open; then one that does.
    m_dialogPaths = {u"", u"\\GPS\\kaputt.ini", u"\\GPS\\gps.ini"};
    platform::headless::QueueMessageBoxAnswer(u"Beenden?", platform::IdNo);
    ASSERT_TRUE(m_model.StartUp(Dialog()));
    EXPECT_EQ(m_dialogs, 3);
    EXPECT_EQ(Lines("caption=\"Beenden?\"").size(), 1u);
    EXPECT_TRUE(m_model.Receiver()->IsPolling());
    EXPECT_EQ(m_model.SpeedProtocol(), MainSettings::SpeedFromRmc)
        << "the main settings choose the speed sentence";
    ASSERT_EQ(m_model.Views().size(), 1u);
    EXPECT_EQ(m_model.Views()[0].name, u"Empty");
    EXPECT_EQ(m_model.InitialView(), m_model.Views()[0].holder.get());
}

TEST_F(StartUp, UnreadableMainSettingsAreNotOverwrittenOnExit) {
    const std::string utf8 = "[Settings]\r\nGPSIni = ..\\..\\GPS\\gps.ini\r\n";
    m_device.Put(SettingsPath, utf8);
    m_dialogPaths = {u"\\GPS\\gps.ini"};
    ASSERT_TRUE(m_model.StartUp(Dialog()));
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_FALSE(m_model.SaveAtExit());
    EXPECT_EQ(m_device.Get(SettingsPath), utf8);
    EXPECT_TRUE(Lines("filedialog").empty()) << "nothing is asked on the way out";
}

TEST_F(StartUp, ADialogThatCannotBeShownEndsWithoutAsking) {
    m_dialogPaths = {u"abandon"};
    EXPECT_FALSE(m_model.StartUp(Dialog()));
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_TRUE(Lines("Beenden?").empty());
}

TEST_F(StartUp, AWorkingGpsFileNeedsNoDialog) {
    m_device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
                 Utf16File(u"[Settings]\r\nGPSIni = ..\\..\\GPS\\gps.ini\r\n"));
    ASSERT_TRUE(m_model.StartUp(Dialog()));
    EXPECT_EQ(m_dialogs, 0);
    EXPECT_TRUE(Lines("messagebox").empty());
    ASSERT_EQ(m_model.Views().size(), 1u) << "no configuration: the built-in Speedo";
    EXPECT_EQ(m_model.Views()[0].name, u"Speedo");
}

} // namespace
