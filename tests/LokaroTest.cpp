// The real lokaro, headless: its script and command line, the start-up
// actions on files and the registry, and its dialogs driven by automation.
#include "Process.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using platform::HKEY_CURRENT_USER;
using platform::RegistryKey;
using namespace std::chrono_literals;

namespace {

constexpr char16_t Target[] = u"\\My Documents\\target.3na";
constexpr char16_t RouteState[] = u"\\My Documents\\route.cfg";

class Lokaro : public ::testing::Test {
protected:
    platform::testing::TempDevice device{u"\\Windows\\lokaro.exe"};
    fs::path transcript = device.Root() / "transcript.txt";
    fs::path errors = device.Root() / "stderr.txt";
    std::string screen = "480x272";

    void SetUp() override {
        device.Put(u"\\My Documents\\keep.txt", "");
        // The navigation application: it notes each start and ends.
        device.Put(u"\\Nav\\nav.exe",
                   "#!/bin/sh\necho started >> \"$(dirname \"$0\")/starts.txt\"\n");
        fs::permissions(device.HostPath(u"\\Nav\\nav.exe"), fs::perms::owner_all);
    }

    void Script(const std::string& text) {
        device.Put(u"\\Windows\\lokaro.cfg", "exe=\\Nav\\nav.exe\n" + text);
    }

    // lokaro with the command line given, automation steps, the test's
    // screen; its exit code.
    std::optional<int> Run(std::vector<std::string> args, const std::string& steps = "") {
        args.insert(args.begin(), LOKARO_BIN);
        args.insert(args.begin(), {"-c", "exec \"$0\" \"$@\" 2>>\"$LOKARO_STDERR\""});
        e2e::Program p{"/bin/sh",
                       std::move(args),
                       {{"CE_ROOT", device.Root().string()},
                        {"CE_REGISTRY", (device.Root() / ".registry").string()},
                        {"CE_BACKEND", "headless"},
                        {"CE_SCREEN", screen},
                        {"CE_PROGRAM", "\\Windows\\lokaro.exe"},
                        {"CE_TRANSCRIPT", transcript.string()},
                        {"LOKARO_STDERR", errors.string()}}};
        e2e::WriteFile((device.Root() / "steps.txt").string(), steps);
        p.env["CE_SCRIPT"] = (device.Root() / "steps.txt").string();
        return e2e::Run(p);
    }

    std::string Transcript() { return e2e::ReadFile(transcript.string()); }
    bool Has(std::u16string_view path) { return fs::exists(device.HostPath(path)); }

    // The navigation application runs detached: its note comes a little later.
    int Starts(int expected) {
        const fs::path notes = device.HostPath(u"\\Nav\\starts.txt");
        for (int i = 0; i < 250; ++i) {
            std::string text = e2e::ReadFile(notes.string());
            int n = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
            if (n >= expected)
                return n;
            std::this_thread::sleep_for(20ms);
        }
        std::string text = e2e::ReadFile(notes.string());
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    std::optional<uint32_t> Dword(std::u16string_view key, std::u16string_view name) {
        auto k = RegistryKey::Open(HKEY_CURRENT_USER, key);
        auto v = k ? k->QueryDword(name) : std::nullopt;
        platform::RegCloseStore();
        return v;
    }
    void SetDword(std::u16string_view key, std::u16string_view name, uint32_t value) {
        auto k = RegistryKey::Create(HKEY_CURRENT_USER, key);
        ASSERT_TRUE(k && k->SetDword(name, value));
        platform::RegCloseStore();
    }
    bool HasValue(std::u16string_view key, std::u16string_view name) {
        auto k = RegistryKey::Open(HKEY_CURRENT_USER, key);
        bool there = false;
        if (k)
            for (const auto& v : k->Values().value_or(std::vector<platform::RegistryValue>{}))
                there = there || v.name == name;
        platform::RegCloseStore();
        return there;
    }
    int Dialogs() {
        std::string t = Transcript();
        int n = 0;
        for (size_t at = t.find("dialog open"); at != std::string::npos;
             at = t.find("dialog open", at + 1))
            ++n;
        return n;
    }
};

} // namespace

TEST_F(Lokaro, OnlyTheLastParamLineCountsAndACommandLineReplacesThemAll) {
    Script("param=backlight=+3\nparam=notunnels=+1 tel\n");
    EXPECT_EQ(Run({}), 0);
    EXPECT_FALSE(
        Dword(u"Software\\3SOFT\\Pathfinder\\PowerManagement\\Backlight", u"ACBrightness"));
    EXPECT_EQ(Dword(u"Software\\3SOFT\\Pathfinder\\RouteOptions", u"DontUseTunnels"), 1u);
    EXPECT_TRUE(HasValue(u"Software", u"Lokaro_Tunnels"));
    EXPECT_FALSE(HasValue(u"Software", u"Lokaro_NoTunnels"));
    EXPECT_EQ(Dialogs(), 0); // a stepped value keeps the dialog away

    EXPECT_EQ(Run({"backlight=5"}), 0);
    EXPECT_EQ(Dword(u"Software\\3SOFT\\Pathfinder\\PowerManagement\\Backlight", u"ACBrightness"),
              5u);
    EXPECT_EQ(Dword(u"Software\\3SOFT\\Pathfinder\\RouteOptions", u"DontUseTunnels"), 1u);
}

TEST_F(Lokaro, BacklightStepsStopAtTheMaximumUnlessWrapIsAsked) {
    const std::u16string key = u"Software\\3SOFT\\Pathfinder\\PowerManagement\\Backlight";
    SetDword(key, u"ACBrightness", 8);
    EXPECT_EQ(Run({"backlight=+1"}), 0);
    EXPECT_EQ(Dword(key, u"ACBrightness"), 8u);
    EXPECT_EQ(Run({"backlight=+1 l=1 x=10 y=20"}), 0);
    EXPECT_EQ(Dword(key, u"ACBrightness"), 1u);
    EXPECT_NE(Transcript().find("osd"), std::string::npos) << Transcript(); // the new value shown
    EXPECT_EQ(Run({"BACKLIGHT=-3"}), 0);
    EXPECT_EQ(Dword(key, u"ACBrightness"), 1u);
    EXPECT_EQ(Dialogs(), 0);
}

TEST_F(Lokaro, WindowBitsChooseTheDialogWhateverTheScreen) {
    screen = "240x320";
    Script("");
    EXPECT_EQ(Run({"window=0x101"}), 0);
    EXPECT_NE(Transcript().find("template=1003"), std::string::npos) << Transcript();
    EXPECT_EQ(Run({"window=0x100"}), 0);
    EXPECT_EQ(Dialogs(), 1);
    EXPECT_EQ(Run({}), 0); // no parameters: the entry dialog for the screen
    EXPECT_NE(Transcript().find("template=1001"), std::string::npos) << Transcript();
}

TEST_F(Lokaro, DeleteWithACancellingNumberKeepsTheFile) {
    device.Put(u"\\My Documents\\old.txt", "x");
    EXPECT_EQ(Run({"window=0 delete=\\My Documents\\old.txt|1"}), 0);
    EXPECT_TRUE(Has(u"\\My Documents\\old.txt"));
    EXPECT_EQ(Run({"window=0 delete=\\My Documents\\old.txt"}), 0);
    EXPECT_FALSE(Has(u"\\My Documents\\old.txt"));
}

TEST_F(Lokaro, SharedTextKeysInOneLineAreRefusedWithAMessage) {
    device.Put(u"\\My Documents\\a.txt", "one\r\ntwo\r\n");
    EXPECT_EQ(Run({"window=0 copy=\\My Documents\\a.txt|\\My Documents\\b.txt delete=\\My "
                   "Documents\\a.txt"}),
              0);
    EXPECT_TRUE(Has(u"\\My Documents\\a.txt"));
    EXPECT_NE(e2e::ReadFile(errors.string()).find("\"delete=\" ignored"), std::string::npos);
}

TEST_F(Lokaro, RouteSwallowsTheKeysAfterIt) {
    device.Put(u"\\My Documents\\walk.asc", "8.5,47.3,\"Start\"\n");
    // Here the path runs on into " window=1": no such file, so a folder.
    EXPECT_EQ(Run({"route=\\My Documents\\walk.asc window=1"}), 0);
    EXPECT_FALSE(Has(RouteState));
    EXPECT_NE(Transcript().find("template=1004"), std::string::npos);
    // Written first, the window key stays out of the path.
    EXPECT_EQ(Run({"window=1 route=\\My Documents\\walk.asc"}), 0);
    EXPECT_EQ(device.Get(RouteState), "akt=0\nroute=\\my documents\\walk.asc\n");
    EXPECT_TRUE(HasValue(u"Software", u"Lokaro_Route"));
}

TEST_F(Lokaro, ADestinationTypedInTheSouthWestInDegreesMinutesAndSeconds) {
    Script("");
    // Telephone digits (no param line): 4007 "1", 4008 "2", 4009 "3",
    // 4004 "4", 4005 "5", 4001 "7", 4010 "0". The mark key twice on an empty
    // field turns the hemisphere.
    const std::string steps = "click 4019\n"
                              "click 4011\nclick 4011\n"
                              "click 4008\nclick 4008\nclick 4011\n"
                              "click 4005\nclick 4004\nclick 4011\n"
                              "click 4009\nclick 4010\n"
                              "click 4018\n"
                              "click 4011\nclick 4011\n"
                              "click 4004\nclick 4009\nclick 4011\n"
                              "click 4007\nclick 4007\nclick 4011\n"
                              "click 4004\nclick 4001\n"
                              "click 4037\n" // letters do nothing in a coordinate field
                              "click 4014\nclick 4037\nclick 4048\nclick 4028\nclick 4034\n"
                              "click 1\n";
    EXPECT_EQ(Run({}, steps), 1);
    EXPECT_EQ(device.Get(Target), "Name:Rio\n"
                                  "Strasse:L=-43.19638889\n"
                                  "HausNR:\n"
                                  "PLZ:\n"
                                  "Ort:B=-22.90833333\n"
                                  "Laenge:-43.196388888888883\n"
                                  "Breite:-22.908333333333331\n");
    EXPECT_EQ(Starts(1), 1);
}

TEST_F(Lokaro, OkWithoutBothCoordinatesBeepsAndStays) {
    Script("param=window=1\n"); // no "tel": 4007 types "7"
    EXPECT_EQ(Run({}, "click 4018\nclick 4007\nclick 1\nclick 2\n"), 0);
    EXPECT_FALSE(Has(Target));
    const std::string t = Transcript();
    EXPECT_NE(t.find("click id=1\nbeep\nclick id=2"), std::string::npos) << t;
}

TEST_F(Lokaro, ARouteIsWalkedStopByStopAcrossStartsToItsEnd) {
    Script("");
    device.Put(u"\\My Documents\\Touren\\tour.asc", "8.5,47.3,\"Erster Halt\"\r\n"
                                                                                         "8.6,47.4,\"Zweiter Halt\"\r\n"
                                                    "8.7,47.5,\"Letzter Halt\"\r\n");
    // The route list opens at stop 0; "starte Route" goes there.
    EXPECT_EQ(Run({"window=1 route=\\My Documents\\Touren\\tour.asc"}, "click 4055\n"), 1);
    EXPECT_NE(device.Get(Target).find("Name:Erster Halt\n"), std::string::npos);
    EXPECT_EQ(Starts(1), 1);

    // Each start after that goes on to the next stop.
    const std::vector<std::string> next = {"window=0 route=\\My Documents\\Touren\\"};
    EXPECT_EQ(Run(next), 0);
    EXPECT_EQ(device.Get(RouteState), "akt=1\nroute=\\my documents\\touren\\tour.asc\n");
    EXPECT_NE(device.Get(Target).find("Name:Zweiter Halt\n"), std::string::npos);
    EXPECT_NE(device.Get(Target).find("Laenge:8.60000000\nBreite:47.40000000\n"),
              std::string::npos);
    EXPECT_EQ(Run(next), 0);
    EXPECT_NE(device.Get(Target).find("Name:Letzter Halt\n"), std::string::npos);
    EXPECT_EQ(Starts(3), 3);
    EXPECT_TRUE(HasValue(u"Software", u"Lokaro_Route"));

    // Past the last stop the route ends.
    EXPECT_EQ(Transcript().find("beep"), std::string::npos);
    EXPECT_EQ(Run(next), 0);
    EXPECT_NE(Transcript().find("beep"), std::string::npos);
    EXPECT_FALSE(Has(Target));
    EXPECT_FALSE(Has(RouteState));
    EXPECT_FALSE(HasValue(u"Software", u"Lokaro_Route"));
    EXPECT_EQ(Starts(4), 3);
}

TEST_F(Lokaro, RouteOptionCodesArePackedIntoOneNumber) {
    const std::u16string options = u"Software\\3SOFT\\Pathfinder\\RouteOptions";
    SetDword(options, u"DontUseTunnels", 1);
    // Road class code 3 (store 1), tolls 2 (store 0), ferries 1 (count up
    // from absent), tunnels 0 (leave), dynamic 3 (info on, mode 0),
    // optimisation 4 (store 2), navigation mode 5 (store 3).
    const int packed = 3 | 2 << 2 | 1 << 4 | 0 << 6 | 3 << 8 | 4 << 11 | 5 << 14;
    EXPECT_EQ(Run({"window=0 roregkeys=" + std::to_string(packed)}), 0);
    EXPECT_EQ(Dword(options, u"DontUseRoadClass0"), 1u);
    EXPECT_EQ(Dword(options, u"OmitTollRoads"), 0u);
    EXPECT_EQ(Dword(options, u"DontUseFerries"), 1u);
    EXPECT_EQ(Dword(options, u"DontUseTunnels"), 1u);
    EXPECT_EQ(Dword(options, u"UseDynamicInfo"), 1u);
    EXPECT_EQ(Dword(options, u"DynamicMode"), 0u);
    EXPECT_EQ(Dword(options, u"RouteOptimation"), 2u);
    EXPECT_EQ(Dword(options, u"NaviMode"), 3u);
    for (const char16_t* flag : {u"DontUseRoadClass0_1", u"OmitTollRoads_0", u"DontUseFerries_1",
                                 u"DontUseTunnels_1", u"DynamicMode_0_1", u"RouteOptimation_2",
                                 u"NaviMode_3", u"Tracking_0", u"TrackingDest_0"})
        EXPECT_TRUE(HasValue(u"Software\\Lokaro\\RouteOptions", flag))
            << std::string(flag, flag + std::char_traits<char16_t>::length(flag));
    // C notation: 0x8000 is navigation mode code 2, which stores 0.
    EXPECT_EQ(Run({"window=0 roregkeys=0x8000"}), 0);
    EXPECT_EQ(Dword(options, u"NaviMode"), 0u);
    EXPECT_EQ(Dword(options, u"RouteOptimation"), 2u);
    EXPECT_TRUE(HasValue(u"Software\\Lokaro\\RouteOptions", u"NaviMode_0"));
    EXPECT_FALSE(HasValue(u"Software\\Lokaro\\RouteOptions", u"NaviMode_3"));
}

TEST_F(Lokaro, OverlongScriptLinesAndOddBytesAreReadSafely) {
    // The tail of a line past 255 characters is not a line of its own; a NUL
    // reads as a blank.
    Script("param=notunnels=+1\n" + std::string("param=backlight=4\0\xff window=0\r\n", 31) +
           "#" + std::string(254, '-') + "param=sip=1\n");
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(Dword(u"Software\\3SOFT\\Pathfinder\\PowerManagement\\Backlight", u"ACBrightness"),
              4u);
    EXPECT_FALSE(Dword(u"Software\\3SOFT\\Pathfinder\\RouteOptions", u"DontUseTunnels"));
    EXPECT_EQ(Dialogs(), 0);
    EXPECT_EQ(Transcript().find("inputpanel"), std::string::npos) << Transcript();
}
