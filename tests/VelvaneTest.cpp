#include "Process.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// velvane on a fresh copy of the sample device (or an empty one), driven by
// an automation script, headless.
class Velvane : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");

    void SetUp() override { fs::create_directories(work); }
    void TearDown() override { fs::remove_all(work); }

    void UseSample() {
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

    std::optional<int> Run(const std::string& script) {
        e2e::WriteFile((work / "script.txt").string(), script);
        fs::remove(work / "transcript.txt");
        e2e::Program p{
            VELVANE_BIN,
            {},
            {{"CE_ROOT", device.Root().string()},
             {"CE_REGISTRY", (work / "registry").string()},
             {"CE_BACKEND", "headless"},
             {"CE_SCREEN", "480x272"},
             {"CE_SCRIPT", (work / "script.txt").string()},
             {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
             {"CE_PORTS", "COM1=replay:" + (device.Root() / "GPS" / "drive.nmea").string()}}};
        return e2e::Run(p, std::chrono::seconds(60));
    }

    std::string Transcript() { return e2e::ReadFile((work / "transcript.txt").string()); }
    std::string Shot(const char* name) { return (work / name).string(); }
    std::string File(const char* rel) { return e2e::ReadFile((device.Root() / rel).string()); }
};

} // namespace

TEST_F(Velvane, AFirstStartWithoutSettingsEndsWhenTheUserGivesUp) {
    EXPECT_EQ(Run("answer \"Beenden?\" yes\nclick 2\n"), 0);
    EXPECT_EQ(Transcript(), "messagebox caption=\"Datei nicht gefunden:\" text=\"\\\\Program "
                            "Files\\\\Velvane\\\\Velvane.ini\" "
                            "buttons=Ok icon=Error answer=Ok\n"
                            "dialog open title=\"GPS Einstellungen\" template=150\n"
                            "click id=2\n"
                            "dialog close title=\"GPS Einstellungen\" template=150 result=2\n"
                            "messagebox caption=\"Beenden?\" text=\"Ohne gültige GPS-Ini "
                            "funktioniert das Programm nicht. Wollen "
                            "Sie es jetzt beenden?\" buttons=YesNo icon=Information answer=Yes\n");
    // Nothing was written on the way out.
    EXPECT_FALSE(fs::exists(device.Root() / "Program Files"));
}

TEST_F(Velvane, TheReplayedDriveMovesTheSpeedometer) {
    UseSample();
    EXPECT_EQ(Run("wait 2000\nsnapshot \"" + Shot("a.png") + "\"\nwait 28000\nsnapshot \"" +
                  Shot("b.png") + "\"\nwait 30000\nsnapshot \"" + Shot("c.png") + "\"\n"),
              0);
    std::string a = e2e::ReadFile(Shot("a.png")), b = e2e::ReadFile(Shot("b.png")),
                c = e2e::ReadFile(Shot("c.png"));
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    // The program starts quietly on a sound sample: no message box at all.
    EXPECT_EQ(Transcript().find("messagebox"), std::string::npos) << Transcript();
}

namespace {

std::string Utf16(const std::u16string& text) {
    return platform::testing::Utf16File(text);
}

// The sample's configuration after: skin "Nacht" chosen for the speedometer,
// "Km.ini" added to the top-speed overlay, the empty view shown, saved under
// "\Storage Card\mine.ini".
std::string ExpectedConfiguration() {
    const std::u16string p = u"..\\Program Files\\Velvane\\";
    return Utf16(u"[Speedo]\r\n"
                 u"Ini = " +
                 p +
                 u"Skins\\Tacho\\Tag.ini\r\n"
                 u"InitialIni = " +
                 p +
                 u"Skins\\Tacho\\Nacht.ini\r\n"
                 u"Ini = " +
                 p +
                 u"Skins\\Tacho\\Geteilt.ini\r\n"
                 u"Ini = " +
                 p +
                 u"Skins\\Tacho\\Bild.ini\r\n"
                 u"\r\n"
                 u"[Empty]\r\n"
                 u"Initial = y\r\n"
                 u"InitialIni = " +
                 p +
                 u"Skins\\Leer\\Blau.ini\r\n"
                 u"\r\n"
                 u"[SpeedChart]\r\n"
                 u"InitialIni = " +
                 p + u"Skins\\Diagramm\\Balken.ini\r\nIni = " + p +
                 u"Skins\\Diagramm\\Punkte.ini\r\nIni = " + p +
                 u"Skins\\Diagramm\\Linie.ini\r\n"
                 u"\r\n"
                 u"[AltitudeChart]\r\n"
                 u"InitialIni = " +
                 p + u"Skins\\Diagramm\\Linie.ini\r\nIni = " + p +
                 u"Skins\\Diagramm\\Balken.ini\r\nIni = " + p +
                 u"Skins\\Diagramm\\Punkte.ini\r\n"
                 u"\r\n"
                 u"[AccelerationChart]\r\n"
                 u"InitialIni = " +
                 p + u"Skins\\Diagramm\\Balken.ini\r\nIni = " + p +
                 u"Skins\\Diagramm\\Punkte.ini\r\nIni = " + p +
                 u"Skins\\Diagramm\\Linie.ini\r\n"
                 u"\r\n"
                 u"[Route]\r\n"
                 u"InitialIni = " +
                 p +
                 u"Skins\\Karte\\Karte.ini\r\n"
                 u"\r\n"
                 u"[FullLog]\r\n"
                 u"Ini = " +
                 p +
                 u"Logs\\NMEA.ini\r\n"
                 u"\r\n"
                 u"[SpeedLog]\r\n"
                 u"Ini = " +
                 p +
                 u"Logs\\Geschwindigkeit.ini\r\n"
                 u"\r\n"
                 u"[TopSpeed]\r\n"
                 u"Ini = " +
                 p +
                 u"Skins\\Overlays\\Vmax.ini\r\n"
                 u"InitialIni = " +
                 p +
                 u"Skins\\Overlays\\Km.ini\r\n"
                 u"\r\n"
                 u"[Odometer]\r\n"
                 u"Ini = " +
                 p +
                 u"Skins\\Overlays\\Km.ini\r\n"
                 u"\r\n"
                 u"[Clock]\r\n"
                 u"Ini = " +
                 p +
                 u"Skins\\Overlays\\Uhr.ini\r\n"
                 u"\r\n"
                 u"[FPS]\r\n"
                 u"Ini = " +
                 p + u"Skins\\Diagramm\\FPS.ini\r\n"
                 u"\r\n"

                 u"[GeoCache]\r\n"
                 u"Ini = " +
                 p + u"Skins\\Karte\\Ziel.ini\r\n");
}

} // namespace

TEST_F(Velvane, TheMenuChangesSkinsViewsAndOverlaysAndTheConfigurationRoundTrips) {
    UseSample();
    const std::string script =
        "wait 3000\n"
        // Tacho > Skins > Nacht
        "key 13\nkey 13\nkey 13\nkey 39\nkey 39\nkey 13\n"
        // Overlays > Vmax > Skins > Skin Laden... with Km.ini
        "file \"Ini öffnen\" \"\\Program Files\\Velvane\\Skins\\Overlays\\Km.ini\"\n"
        "key 13\nkey 39\nkey 39\nkey 39\nkey 13\nkey 13\nkey 13\nkey 13\n"
        // The same file once more (its item now stands first): refused as already there
        "answer Vorhanden ok\n"
        "file \"Ini öffnen\" \"\\Program Files\\Velvane\\Skins\\Overlays\\Km.ini\"\n"
        "key 13\nkey 39\nkey 39\nkey 39\nkey 13\nkey 13\nkey 13\nkey 39\nkey 13\n"
        // Anzeige > Leer
        "key 13\nkey 39\nkey 13\nkey 39\nkey 13\n"
        "wait 1000\n"
        "snapshot \"" +
        Shot("empty.png") +
        "\"\n"
        // Velvane > Konfig. > Speichern...
        "file \"Einstellungen speichern:\" \"\\Storage Card\\mine.ini\"\n"
        "key 13\nkey 37\nkey 13\nkey 13\nkey 39\nkey 13\n";
    fs::create_directories(device.Root() / "Storage Card");
    ASSERT_EQ(Run(script), 0) << Transcript();
    const std::string t = Transcript();
    EXPECT_NE(t.find("filedialog open title=\"Ini öffnen\" answer=\"\\\\Program Files"),
              std::string::npos)
        << t;
    EXPECT_NE(
        t.find(
            "messagebox caption=\"Vorhanden\" text=\"Die Ini wurde schon geladen und kann im Menü "
            "ausgewählt werden.\""),
        std::string::npos)
        << t;
    EXPECT_EQ(File("Storage Card/mine.ini"), ExpectedConfiguration());

    // The main settings now name it (saved on exit), and a second run that
    // changes nothing writes the very same bytes again.
    std::string settings = File("Program Files/Velvane/Velvane.ini");
    EXPECT_NE(settings.find(Utf16(u"Configuration = ..\\..\\Storage Card\\mine.ini\r\n").substr(2)),
              std::string::npos);
    ASSERT_EQ(Run("wait 2000\nsnapshot \"" + Shot("again.png") + "\"\n"), 0) << Transcript();
    EXPECT_EQ(File("Storage Card/mine.ini"), ExpectedConfiguration());
    EXPECT_EQ(e2e::ReadFile(Shot("again.png")).empty(), false);
}

TEST_F(Velvane, AutoSaveOffKeepsTheFilesAsTheyWere) {
    UseSample();
    const std::string before = File("Program Files/Velvane/Konfig/Standard.ini");
    // Velvane > Konfig. > Autom. Speichern, then another skin, then quit.
    // (The first second belongs to the splash, which takes the first key.)
    ASSERT_EQ(Run("wait 1500\nkey 13\nkey 37\nkey 13\nkey 13\nkey 37\nkey 13\n"
                  "key 13\nkey 13\nkey 13\nkey 39\nkey 39\nkey 13\n"),
              0);
    EXPECT_EQ(File("Program Files/Velvane/Konfig/Standard.ini"), before);
}

TEST_F(Velvane, TapsOpenAndToggleSubmenusAndChooseAView) {
    // With the sample's menu style (dx = dy = 6, ItemHeight 30, 5 a row on
    // 480 pixels) "Anzeige" is the box 100..188 x 6..36; its submenu's row
    // of five views lies at 48..78, "Leer" second, under "Anzeige".
    struct Case {
        const char* taps;
        const char16_t* initialSection;
    } cases[] = {
        {"tap 144 20\ntap 144 20\ntap 144 60\n", u"[Empty]\r\nInitial = y\r\n"},
        // A second tap on "Anzeige" closes its submenu again; a tap below
        // every row then closes the menu without choosing anything.
        {"tap 144 20\ntap 144 20\ntap 144 20\ntap 240 60\n", u"[Speedo]\r\nInitial = y\r\n"},
    };
    for (auto& c : cases) {
        UseSample();
        ASSERT_EQ(Run(std::string("wait 1500\n") + c.taps), 0) << c.taps;
        std::string saved = File("Program Files/Velvane/Konfig/Standard.ini");
        EXPECT_NE(saved.find(Utf16(c.initialSection).substr(2)), std::string::npos) << c.taps;
    }
}

TEST_F(Velvane, FilesThatCouldNotBeReadAreNotOverwrittenOnExit) {
    const fs::path config = device.Root() / "Program Files/Velvane/Konfig/Standard.ini";
    const fs::path daySkin = device.Root() / "Program Files/Velvane/Skins/Tacho/Tag.ini";
    struct Case {
        const char* name;
        std::function<void()> spoil;
        const char* report;
    } cases[] = {
        {"configuration saved as UTF-8",
         [&] { e2e::WriteFile(config.string(), "[Speedo]\r\nInitial = y\r\n"); },
         "Die Datei ist leer oder nicht im Unicode Format:"},
        // A storage card not yet mounted, say.
        {"listed skin missing", [&] { fs::remove(daySkin); }, "caption=\"Datei nicht gefunden:\""},
    };
    for (const auto& c : cases) {
        fs::remove_all(device.Root());
        UseSample();
        c.spoil();
        const std::string before = e2e::ReadFile(config.string());
        ASSERT_EQ(Run("wait 1500\n"), 0) << c.name;
        EXPECT_NE(Transcript().find(c.report), std::string::npos) << c.name << "\n" << Transcript();
        EXPECT_EQ(e2e::ReadFile(config.string()), before) << c.name;
    }
}

TEST_F(Velvane, ASettingsFileThatIsAFifoIsRefusedNotWaitedFor) {
    UseSample();
    const fs::path config = device.Root() / "Program Files/Velvane/Konfig/Standard.ini";
    fs::remove(config);
    ASSERT_EQ(::mkfifo(config.c_str(), 0600), 0);
    ASSERT_EQ(Run("wait 1500\n"), 0) << "velvane must not block on the FIFO";
    EXPECT_NE(Transcript().find("Die Datei ist keine normale Datei:"), std::string::npos)
        << Transcript();
    EXPECT_TRUE(fs::is_fifo(config)) << "the exit leaves it alone";
}
