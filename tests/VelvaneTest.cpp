#include "Process.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

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
        e2e::Program p{VELVANE_BIN, {},
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
    EXPECT_EQ(Transcript(),
              "messagebox caption=\"Datei nicht gefunden:\" text=\"\\\\Program Files\\\\Velvane\\\\Velvane.ini\" "
              "buttons=Ok icon=Error answer=Ok\n"
              "dialog open title=\"GPS Einstellungen\" template=150\n"
              "click id=2\n"
              "dialog close title=\"GPS Einstellungen\" template=150 result=2\n"
              "messagebox caption=\"Beenden?\" text=\"Ohne gültige GPS-Ini funktioniert das Programm nicht. Wollen "
              "Sie es jetzt beenden?\" buttons=YesNo icon=Information answer=Yes\n");
    // Nothing was written on the way out.
    EXPECT_FALSE(fs::exists(device.Root() / "Program Files"));
}

TEST_F(Velvane, TheReplayedDriveMovesTheSpeedometer) {
    UseSample();
    EXPECT_EQ(Run("wait 2000\nsnapshot \"" + Shot("a.png") + "\"\nwait 28000\nsnapshot \"" + Shot("b.png") +
                  "\"\nwait 30000\nsnapshot \"" + Shot("c.png") + "\"\n"),
              0);
    std::string a = e2e::ReadFile(Shot("a.png")), b = e2e::ReadFile(Shot("b.png")), c = e2e::ReadFile(Shot("c.png"));
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    // The program starts quietly on a sound sample: no message box at all.
    EXPECT_EQ(Transcript().find("messagebox"), std::string::npos) << Transcript();
}
