// The trip overlays in the real program: counters across restarts, drives of
// known length, damaged counter files, taps, and kills in the middle of saves.
#include "Process.h"
#include "platform/testing/temp_device.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::u16string Skins = u"\\Program Files\\Velvane\\Skins\\Fahrt\\";

// Script lines moving the device's clock by ms in steps of at most 10 s, so
// that every GPS poll on the way runs.
std::string Wait(int ms) {
    std::string lines;
    for (; ms > 0; ms -= 10000)
        lines += "wait " + std::to_string(ms < 10000 ? ms : 10000) + "\n";
    return lines;
}

// velvane headless on a copy of the sample device whose configuration shows
// the six trip and motion overlays over the speedometer.
class TripCounters : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-work");

    void SetUp() override {
        fs::create_directories(work);
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        using platform::testing::Utf16File;
        device.Put(u"\\Program Files\\Velvane\\Velvane.ini",
                   Utf16File(u"[Settings]\r\nGPSIni = ..\\..\\GPS\\GPS.ini\r\n"
                             u"Configuration = Konfig\\Fahrt.ini\r\nMenuIni = Menu\\Nacht.ini\r\n"
                             u"SaveOnExit = n\r\nSpeedProtocol = RMC\r\n"));
        std::u16string configuration =
            u"[Speedo]\r\nInitial = y\r\nInitialIni = ..\\Skins\\Tacho\\Tag.ini\r\n";
        for (const auto& [section, skin] :
             std::map<std::u16string, std::u16string>{{u"TopSpeed", u"Vmax"},
                                                      {u"AverageSpeed", u"Schnitt"},
                                                      {u"AccelerationOverlay", u"Beschl"},
                                                      {u"UphillGrade", u"Steigung"},
                                                      {u"JourneyTime", u"Fahrzeit"},
                                                      {u"Odometer", u"Km"}})
            configuration += u"\r\n[" + section + u"]\r\nInitialIni = ..\\Skins\\" + m_folder +
                             u"\\" + skin + u".ini\r\n";
        device.Put(u"\\Program Files\\Velvane\\Konfig\\Fahrt.ini", Utf16File(configuration));
    }
    void TearDown() override { fs::remove_all(work); }

    // A drive written by drivegen; its true length in metres, 0 on failure.
    double Drive(const std::string& name, std::vector<std::string> args) {
        args.push_back((work / name).string());
        const std::string log = (work / (name + ".log")).string();
        e2e::Program p{DRIVEGEN_BIN, args, {}, {}, log};
        if (e2e::Run(p) != 0)
            return 0;
        std::smatch m;
        const std::string text = e2e::ReadFile(log);
        return std::regex_search(text, m, std::regex(R"(over ([0-9.]+) m)")) ? std::stod(m[1]) : 0;
    }

    e2e::Program Velvane(const std::string& script, const std::string& port) {
        e2e::WriteFile((work / "script.txt").string(), script);
        fs::remove(work / "transcript.txt");
        return e2e::Program{VELVANE_BIN,
                            {},
                            {{"CE_ROOT", device.Root().string()},
                             {"CE_REGISTRY", (work / "registry").string()},
                             {"CE_BACKEND", "headless"},
                             {"CE_SCREEN", m_screen},
                             {"CE_SCRIPT", (work / "script.txt").string()},
                             {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
                             {"CE_PORTS", "COM1=" + port}},
                            {},
                            (work / "stderr.txt").string()};
    }
    std::optional<int> Run(const std::string& script, const std::string& port = "none") {
        return e2e::Run(Velvane(script, port), std::chrono::seconds(60));
    }
    std::string Replay(const std::string& name, bool loop = false) {
        return "replay:" + (work / name).string() + (loop ? ",loop" : "");
    }
    std::string Transcript() { return e2e::ReadFile((work / "transcript.txt").string()); }

    fs::path CounterPath(const char16_t* name) { return device.HostPath(Skins + name); }
    // The counter, or nullopt when there is no file; a file of another size
    // than 4 bytes fails the test.
    std::optional<uint32_t> Counter(const char16_t* name) {
        const fs::path path = CounterPath(name);
        if (!fs::exists(path))
            return std::nullopt;
        const std::string bytes = e2e::ReadFile(path.string());
        EXPECT_EQ(bytes.size(), 4u) << path;
        if (bytes.size() != 4)
            return std::nullopt;
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<uint8_t>(bytes[i]);
        return value;
    }
    void ForgetCounters() {
        fs::remove(CounterPath(u"Km_milage.sav"));
        fs::remove(CounterPath(u"Fahrzeit_journeytime.sav"));
    }

    std::u16string m_folder = u"Fahrt";
    std::string m_screen = "480x272";
};

constexpr const char16_t* Milage = u"Km_milage.sav";
constexpr const char16_t* Journey = u"Fahrzeit_journeytime.sav";

TEST_F(TripCounters, OdometerMatchesDrivesOfKnownLengthAcrossRestartsAndReplayLoops) {
    // The route has stops, a tunnel without fix and ends parked; 599 s is one
    // round, so a replay loop jumps 4 km back to the start.
    const double length = Drive("drive.nmea", {"--seconds", "599"});
    ASSERT_GT(length, 5000);

    ASSERT_EQ(Run(Wait(605000), Replay("drive.nmea")), 0);
    EXPECT_EQ(Transcript().find("messagebox"), std::string::npos) << Transcript();
    const auto first = Counter(Milage);
    const auto firstJourney = Counter(Journey);
    ASSERT_TRUE(first && firstJourney);
    EXPECT_NEAR(*first / 100.0, length, length * 0.005);
    EXPECT_GT(*firstJourney, 300000u);

    // A second run goes on from the saved counters.
    ASSERT_EQ(Run(Wait(605000), Replay("drive.nmea")), 0);
    EXPECT_NEAR(*Counter(Milage) / 100.0, 2 * length, 2 * length * 0.005);
    EXPECT_NEAR(*Counter(Journey), 2.0 * *firstJourney, 2000);

    // Twice round a looping replay in one run: the jump back is not driven.
    ForgetCounters();
    ASSERT_EQ(Run(Wait(1201000), Replay("drive.nmea", true)), 0);
    EXPECT_NEAR(*Counter(Milage) / 100.0, 2 * length, 2 * length * 0.005);

    // The same route across the equator and the 180° meridian.
    const double crossing =
        Drive("crossing.nmea", {"--seconds", "599", "--origin", "0.002,179.995"});
    EXPECT_NEAR(crossing, length, 1e-6);
    ForgetCounters();
    ASSERT_EQ(Run(Wait(605000), Replay("crossing.nmea")), 0);
    EXPECT_NEAR(*Counter(Milage) / 100.0, length, length * 0.005);
}

TEST_F(TripCounters, ADamagedCounterFileIsReportedAndReplacedWhole) {
    Drive("parked.nmea", {"--seconds", "5"});
    ASSERT_TRUE(fs::exists(work / "parked.nmea"));
    e2e::WriteFile(CounterPath(Milage).string(), std::string("\x10\x27", 2));
    ASSERT_EQ(Run("wait 2000\n", Replay("parked.nmea")), 0);
    EXPECT_NE(Transcript().find("messagebox caption=\"Fehler\" text=\"Kilometerstand konnte nicht "
                                "eingelesen werden.\" buttons=Ok icon=Error"),
              std::string::npos)
        << Transcript();
    EXPECT_EQ(Counter(Milage), 0u);
}

TEST_F(TripCounters, TapsOnTheCountersAskInGerman) {
    const double length = Drive("drive.nmea", {"--seconds", "599"});
    ASSERT_GT(length, 5000);
    // Two minutes of driving, then a No on the odometer's text (410..470 x
    // 222..240), a Yes on the journey time's (417..470 x 202..218) and a tap
    // just beside the odometer's box, which opens the menu instead.
    ASSERT_EQ(Run(Wait(120000) + "answer \"Zurücksetzten?\" no\ntap 440 230\n"
                                 "answer \"Zurücksetzten?\" yes\ntap 460 210\n"
                                 "tap 405 230\nkey 27\n",
                  Replay("drive.nmea")),
              0);
    const std::string t = Transcript();
    EXPECT_NE(t.find("messagebox caption=\"Zurücksetzten?\" text=\"Wollen Sie den Kilometerstand "
                     "zurücksetzten?\" buttons=YesNo icon=Question answer=No"),
              std::string::npos)
        << t;
    EXPECT_NE(t.find("messagebox caption=\"Zurücksetzten?\" text=\"Wollen Sie die Fahrzeit "
                     "zurücksetzten?\" buttons=YesNo icon=Question answer=Yes"),
              std::string::npos)
        << t;
    EXPECT_EQ(t.find("messagebox", t.find("answer=Yes")), std::string::npos) << t;
    EXPECT_GT(*Counter(Milage), 50000u); // kept
    EXPECT_LT(*Counter(Journey), 1000u); // reset, then no time passed
}

TEST_F(TripCounters, TheLargeScreenSkinsLoadQuietly) {
    m_folder = u"Fahrt800";
    m_screen = "800x480";
    SetUp();
    ASSERT_GT(Drive("drive.nmea", {"--seconds", "300"}), 1000);
    const std::string shot = (work / "large.png").string();
    ASSERT_EQ(Run(Wait(200000) + "snapshot \"" + shot + "\"\n", Replay("drive.nmea")), 0);
    EXPECT_EQ(Transcript().find("messagebox"), std::string::npos) << Transcript();
    EXPECT_TRUE(fs::exists(shot));
    EXPECT_TRUE(
        fs::exists(device.HostPath(u"\\Program Files\\Velvane\\Skins\\Fahrt800\\Km_milage.sav")));
}

TEST_F(TripCounters, KillsInTheMiddleOfSavesLeaveWholeCountersAtMostAnIntervalOld) {
    const double length = Drive("drive.nmea", {"--seconds", "599"});
    ASSERT_GT(length, 5000);
    // Save every minute, so that kills often land in a save.
    using platform::testing::Utf16File;
    device.Put(Skins + u"Km.ini",
               Utf16File(u"[Settings]\r\nX = -10\r\nY = -32\r\nSize = 18\r\n"
                         u"[Odometer]\r\nSaveMileage = y\r\nSavingInterval = 1\r\n"));
    device.Put(Skins + u"Fahrzeit.ini",
               Utf16File(u"[Settings]\r\nX = -10\r\nY = -54\r\nSize = 16\r\n"
                         u"[JourneyTime]\r\nSaveTime = y\r\nSavingInterval = 1\r\n"));
    // A checkpoint every 10 s of the device's time: the newest one written
    // says how far the killed run came at least.
    constexpr int Step = 10000, Checkpoints = 120;
    std::string script;
    for (int k = 1; k <= Checkpoints; ++k)
        script += "wait " + std::to_string(Step) + "\nsnapshot \"" +
                  (work / ("c" + std::to_string(k) + ".png")).string() + "\"\n";
    // On an idle machine the checkpoints may all pass before the kill: then
    // the program waits in real time to be killed.
    script += "sleep 60000\n";

    // The counters of a clean run ended after k checkpoints.
    std::map<int, std::pair<uint32_t, uint32_t>> reference;
    auto Reference = [&](int k) {
        if (!reference.count(k)) {
            ForgetCounters();
            EXPECT_EQ(Run(Wait(k * Step), Replay("drive.nmea")), 0);
            reference[k] = {Counter(Milage).value_or(0), Counter(Journey).value_or(0)};
        }
        return reference[k];
    };

    std::mt19937 random(20261209);
    int saved = 0;
    for (int round = 0; round < 20; ++round) {
        ForgetCounters();
        for (int k = 1; k <= Checkpoints; ++k)
            fs::remove(work / ("c" + std::to_string(k) + ".png"));
        e2e::ChildProcess child = e2e::Start(Velvane(script, Replay("drive.nmea")));
        ASSERT_TRUE(child.Started());
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(150, 1800)(random)));
        child.Kill();
        ASSERT_EQ(child.Outcome(), "signal 9") << "round " << round << " ended before the kill";

        int reached = 0;
        while (reached < Checkpoints &&
               fs::exists(work / ("c" + std::to_string(reached + 1) + ".png")))
            ++reached;
        const auto milage = Counter(Milage);
        const auto journey = Counter(Journey);
        // Saved at least once a minute (a position or speed a second later):
        // what was reached 70 s before the newest checkpoint is in the files.
        if (reached >= 7) {
            const auto [minMilage, minJourney] = Reference(reached - 7);
            ASSERT_TRUE(milage && journey) << "round " << round << ", " << reached;
            EXPECT_GE(*milage, minMilage) << "round " << round << ", " << reached;
            EXPECT_GE(*journey, minJourney) << "round " << round << ", " << reached;
            ++saved;
        }
        // And never more than the run can have driven.
        if (milage) {
            EXPECT_LE(*milage / 100.0, length * 1.005);
        }
    }
    // Enough rounds got far enough to check the age of what was saved.
    EXPECT_GE(saved, 5);
}

} // namespace
