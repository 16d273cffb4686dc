// The dashboard turned and mirrored for mounting, driven headless: the
// menu is worked by taps on the presented picture, and what it shows is the
// upright picture turned.
#include "Process.h"
#include "platform/bitmap.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Point {
    int x, y;
};

class Presentation : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path work = device.Root() / ".." / (device.Root().filename().string() + "-turned");

    void SetUp() override { fs::create_directories(work); }
    void TearDown() override {
        if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR"))
            for (const char* name : {"upright.png", "turned.png"})
                if (fs::exists(work / name))
                    fs::copy_file(work / name, fs::path(dir) / name,
                                  fs::copy_options::overwrite_existing);
        fs::remove_all(work);
    }

    // A fresh sample with these lines added to its main settings.
    void UseSample(const std::u16string& lines) {
        fs::remove_all(device.Root());
        fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
                 fs::copy_options::recursive);
        const fs::path settings = device.Root() / "Program Files" / "Velvane" / "Velvane.ini";
        e2e::WriteFile(settings.string(), e2e::ReadFile(settings.string()) +
                                              platform::testing::Utf16File(lines, false));
    }

    std::optional<int> Run(const std::string& script) {
        e2e::WriteFile((work / "script.txt").string(), script);
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

    std::unique_ptr<platform::Bitmap> Picture(const std::string& name) {
        const std::string bytes = e2e::ReadFile((work / name).string());
        return platform::Bitmap::Decode(
            {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    }

    // Anzeige > Route through the menu, by taps at these places of the
    // upright picture, shown where the presented one has them.
    std::string Script(Point (*shown)(int, int), const std::string& shot) {
        std::string s = "wait 1500\n";
        for (auto [x, y] : {std::pair{144, 20}, std::pair{144, 20}, std::pair{50, 92}}) {
            const Point at = shown(x, y);
            s += "tap " + std::to_string(at.x) + " " + std::to_string(at.y) + "\n";
        }
        return s + "wait 20000\nsnapshot \"" + (work / shot).string() + "\"\nquit\n";
    }
};

} // namespace

TEST_F(Presentation, TheMenuWorksThroughATurnedOrMirroredPicture) {
    UseSample(u"");
    ASSERT_EQ(Run(Script([](int x, int y) { return Point{x, y}; }, "upright.png")), 0);
    auto upright = Picture("upright.png");
    ASSERT_TRUE(upright);
    ASSERT_EQ(upright->Width(), 480);

    const struct {
        const char16_t* lines;
        Point (*shown)(int, int); // where the upright pixel shows
        int width, height;
    } cases[] = {
        {u"Rotation = 90\r\n",
         [](int x, int y) {
             return Point{271 - y, x};
         },
         272, 480},
        {u"Mirror = y\r\n",
         [](int x, int y) {
             return Point{479 - x, y};
         },
         480, 272},
        {u"Mirror = y\r\nRotation = 270\r\n",
         [](int x, int y) {
             return Point{271 - y, 479 - x};
         },
         272, 480},
    };
    for (const auto& c : cases) {
        const std::string what = platform::ToUtf8(c.lines);
        UseSample(c.lines);
        ASSERT_EQ(Run(Script(c.shown, "turned.png")), 0) << what;
        auto turned = Picture("turned.png");
        ASSERT_TRUE(turned) << what;
        ASSERT_EQ(turned->Width(), c.width) << what;
        ASSERT_EQ(turned->Height(), c.height) << what;
        // The same drive, the same choice: the same picture, turned. The
        // route map chosen differs from the speedometer nearly everywhere.
        int differ = 0;
        for (int y = 0; y < 272; ++y)
            for (int x = 0; x < 480; ++x) {
                const Point at = c.shown(x, y);
                differ += turned->GetPixel(at.x, at.y) != upright->GetPixel(x, y);
            }
        EXPECT_EQ(differ, 0) << what;
    }
}
