// The chart views of the sample device, reached through the menu as a user
// would, over five minutes of the replayed drive.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/testing/temp_device.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

class Charts : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-charts");

    void SetUp() override { fs::create_directories(work); }

    // A fresh copy each time: a run saves the view it ends with.
    void UseSample(const char* screen) {
        fs::remove_all(device.Root());
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive);
        if (std::string(screen) != "800x480")
            return;
        // The 800x480 configuration has chart skins of its own size.
        const fs::path settings = device.Root() / "Program Files" / "Velvane" / "Velvane.ini";
        std::string text = e2e::ReadFile(settings.string());
        const std::string from = platform::testing::Utf16File(u"Standard.ini", false);
        const std::string to = platform::testing::Utf16File(u"Standard800.ini", false);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), to);
        e2e::WriteFile(settings.string(), text);
    }
    void TearDown() override { fs::remove_all(work); }

    std::optional<int> Run(const std::string& script, const char* screen) {
        e2e::WriteFile((work / "script.txt").string(), script);
        fs::remove(work / "transcript.txt");
        e2e::Program p{
            VELVANE_BIN,
            {},
            {{"CE_ROOT", device.Root().string()},
             {"CE_REGISTRY", (work / "registry").string()},
             {"CE_BACKEND", "headless"},
             {"CE_SCREEN", screen},
             {"CE_SCRIPT", (work / "script.txt").string()},
             {"CE_TRANSCRIPT", (work / "transcript.txt").string()},
             {"CE_PORTS", "COM1=replay:" + (device.Root() / "GPS" / "drive.nmea").string()}}};
        return e2e::Run(p, std::chrono::seconds(60));
    }

    std::string Transcript() { return e2e::ReadFile((work / "transcript.txt").string()); }
    std::string Shot(const std::string& name) { return (work / name).string(); }

    // A copy kept for looking at, when asked for.
    void Keep(const std::string& name) {
        if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR"))
            fs::copy_file(work / name, fs::path(dir) / name, fs::copy_options::overwrite_existing);
    }
};

std::unique_ptr<platform::Bitmap> Picture(const std::string& path) {
    const std::string bytes = e2e::ReadFile(path);
    return platform::Bitmap::Decode({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

int Count(const platform::Canvas& c, platform::Color color) {
    int n = 0;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

struct ChartCase {
    const char* name;
    int place;                  // in the view menu: Tacho, Leer, then the charts
    platform::Color background; // of the skin the configuration starts it with
    platform::Color marks;      // a colour only its values are drawn in
};

// The sample skins: bars on F4F4EC framed 207020 (speed, acceleration), a
// line in 0060C0 on white (altitude).
const ChartCase Cases[] = {
    {"speed", 2, platform::Rgb(0xF4, 0xF4, 0xEC), platform::Rgb(0x20, 0x70, 0x20)},
    {"altitude", 3, platform::Rgb(0xFF, 0xFF, 0xFF), platform::Rgb(0x00, 0x60, 0xC0)},
    {"acceleration", 4, platform::Rgb(0xF4, 0xF4, 0xEC), platform::Rgb(0x20, 0x70, 0x20)},
};

} // namespace

TEST_F(Charts, EachChartFollowsTheDriveAfterChoosingItInTheMenu) {
    for (const char* screen : {"480x272", "800x480"}) {
        for (const ChartCase& c : Cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + screen);
            const std::string early = std::string(c.name) + "-" + screen + "-60s.png";
            const std::string late = std::string(c.name) + "-" + screen + "-300s.png";
            // Past the splash; the menu, "Anzeige", the chart's place, choose it.
            std::string script = "wait 1500\nkey 13\nkey 39\nkey 13\n";
            for (int i = 0; i < c.place; ++i)
                script += "key 39\n";
            script += "key 13\nwait 58500\nsnapshot \"" + Shot(early) + "\"\nwait 240000\n" +
                      "snapshot \"" + Shot(late) + "\"\n";
            UseSample(screen);
            ASSERT_EQ(Run(script, screen), 0) << Transcript();
            EXPECT_EQ(Transcript().find("messagebox"), std::string::npos) << Transcript();
            auto a = Picture(Shot(early)), b = Picture(Shot(late));
            ASSERT_TRUE(a && b);
            Keep(early);
            Keep(late);
            // The chart fills the screen with its background and shows values,
            // others after five minutes than after one.
            const int area = a->Width() * a->Height();
            EXPECT_GT(Count(*a, c.background), area / 3) << std::hex << a->GetPixel(2, 2);
            const int marksEarly = Count(*a, c.marks), marksLate = Count(*b, c.marks);
            EXPECT_GT(marksEarly, 20);
            EXPECT_GT(marksLate, 20);
            EXPECT_NE(e2e::ReadFile(Shot(early)), e2e::ReadFile(Shot(late)));
        }
    }
}
