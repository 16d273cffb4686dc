#include "app/WindowMover.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/inputpanel.h"
#include "platform/messagebox.h"
#include "platform/resources.h"
#include "platform/testing/temp_device.h"
#include "platform/transcript.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <vector>

using namespace velvane;
using platform::Rect;
using platform::testing::TempDevice;

namespace {

// The program embeds the committed bitmaps; the tests read the same files.
void RegisterMoverBitmaps() {
    static std::map<int, std::vector<uint8_t>> bytes;
    for (int id = 102; id <= 119; ++id) {
        if (!bytes.count(id)) {
            std::ifstream in(std::string(SUITE_SOURCE_DIR) + "/velvane/resources/mover" +
                                 std::to_string(id) + ".bmp",
                             std::ios::binary);
            bytes[id].assign(std::istreambuf_iterator<char>(in), {});
            ASSERT_FALSE(bytes[id].empty()) << "bitmap " << id;
        }
        platform::RegisterResource(id, bytes[id]);
    }
}

constexpr const char16_t* Title = u"Konfiguration öffnen";

platform::Dialog* OpenTarget(bool* done = nullptr, std::u16string folder = {}) {
    platform::FileDialogOptions o;
    o.title = Title;
    o.initialDirectory = std::move(folder);
    return platform::OpenFileDialogModeless(o, [done](auto) {
        if (done)
            *done = true;
    });
}

int Count(const std::string& part) {
    int n = 0;
    for (auto& line : platform::TranscriptLines())
        n += line.find(part) != std::string::npos;
    return n;
}

} // namespace

TEST(WindowMover, WaitsForTheDialogThenMovesItToEachCornerAndNudgesIt) {
    TempDevice device;
    RegisterMoverBitmaps();
    WindowMover mover(Title);
    platform::Dialog* tool = mover.GetDialog();
    ASSERT_TRUE(tool);
    const Rect own = tool->GetWindow().GetRect();
    EXPECT_EQ(own.right, 480) << "top right corner of the screen";
    EXPECT_EQ(own.top, 0);
    for (int id = WindowMover::IdTopLeft; id <= WindowMover::IdInputPanel; ++id)
        EXPECT_FALSE(tool->IsEnabled(id)) << id;

    platform::headless::AdvanceClock(1000); // nothing to find yet
    EXPECT_FALSE(mover.Target());
    EXPECT_FALSE(tool->IsEnabled(WindowMover::IdTopLeft));

    platform::Dialog* target = OpenTarget();
    ASSERT_TRUE(target);
    platform::Window& w = target->GetWindow();
    platform::headless::AdvanceClock(499);
    EXPECT_FALSE(mover.Target()) << "found only at the next tick";
    platform::headless::AdvanceClock(1);
    EXPECT_EQ(mover.Target(), &w);
    for (int id = WindowMover::IdTopLeft; id <= WindowMover::IdRight; ++id)
        EXPECT_TRUE(tool->IsEnabled(id)) << id;
    EXPECT_FALSE(tool->IsEnabled(WindowMover::IdInputPanel)) << "no input panel here";

    const int width = w.GetRect().Width();
    const int height = w.GetRect().Height();
    struct Step {
        int button;
        int x, y;
    } steps[] = {
        {WindowMover::IdTopLeft, 0, 0},
        {WindowMover::IdTopRight, 480 - width, 0},
        {WindowMover::IdBottomLeft, 0, 272 - height},
        {WindowMover::IdBottomRight, 480 - width, 272 - height},
        {WindowMover::IdUp, 480 - width, 262 - height},
        {WindowMover::IdRight, 490 - width, 262 - height}, // partly off screen: no clamping
        {WindowMover::IdRight, 500 - width, 262 - height},
        {WindowMover::IdDown, 500 - width, 272 - height},
        {WindowMover::IdDown, 500 - width, 282 - height},
        {WindowMover::IdTopLeft, 0, 0},
        {WindowMover::IdLeft, -10, 0},
        {WindowMover::IdUp, -10, -10},
    };
    for (const auto& s : steps) {
        EXPECT_TRUE(tool->Click(s.button)) << s.button;
        EXPECT_EQ(w.GetRect(), (Rect{s.x, s.y, s.x + width, s.y + height}))
            << "after button " << s.button;
    }
    EXPECT_EQ(Count("messagebox"), 0);
    target->Destroy();
    platform::PumpMessages();
}

TEST(WindowMover, SaysSoWhenTheDialogIsGone) {
    TempDevice device;
    WindowMover mover(Title);
    platform::Dialog* tool = mover.GetDialog();
    bool done = false;
    platform::Dialog* target = OpenTarget(&done);
    platform::headless::AdvanceClock(500);
    ASSERT_TRUE(mover.Target());
    ASSERT_TRUE(target->Click(platform::IdCancel));
    platform::PumpMessages();
    EXPECT_TRUE(done);
    EXPECT_FALSE(mover.Target());

    EXPECT_TRUE(tool->Click(WindowMover::IdBottomRight));
    EXPECT_EQ(platform::TranscriptLines().back(),
              "messagebox caption=\"Fehler\" text=\"Das Fenster ist nicht mehr gültig!\" "
              "buttons=Ok icon=Error "
              "answer=Ok");
    for (int id = WindowMover::IdTopLeft; id <= WindowMover::IdRight; ++id)
        EXPECT_FALSE(tool->IsEnabled(id)) << id;
}

TEST(WindowMover, TheKeyboardButtonTogglesTheInputPanel) {
    TempDevice device;
    platform::HostSettings host = platform::Host();
    const auto log = device.Root() / "keyboard.log";
    host.keyboardCommand = "echo >>'" + log.string() + "'";
    platform::Initialize(host);
    platform::TranscriptClear();
    WindowMover mover(Title);
    platform::Dialog* tool = mover.GetDialog();
    ASSERT_TRUE(tool->IsEnabled(WindowMover::IdInputPanel));
    EXPECT_FALSE(tool->IsEnabled(WindowMover::IdTopLeft)) << "the others wait for their target";
    EXPECT_TRUE(tool->Click(WindowMover::IdInputPanel));
    EXPECT_TRUE(tool->Click(WindowMover::IdInputPanel));
    EXPECT_TRUE(tool->Click(WindowMover::IdInputPanel));
    std::ifstream in(log);
    std::string text(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(text, "show\nhide\nshow\n");
    EXPECT_EQ(Count("inputpanel show"), 2);
    EXPECT_EQ(Count("inputpanel hide"), 1);
    platform::ShowInputPanel(false);
}

TEST(WindowMover, DrawsItsBitmapsAndGoesAwayWithItsScope) {
    TempDevice device;
    RegisterMoverBitmaps();
    platform::Window* toolWindow = nullptr;
    {
        WindowMover mover(Title);
        platform::Dialog* tool = mover.GetDialog();
        toolWindow = &tool->GetWindow();
        for (auto name : {u"Tag.ini", u"Nacht.ini", u"Rennen.ini"})
            device.Put(u"\\Program Files\\Velvane\\Konfig\\" + std::u16string(name), "x");
        platform::Dialog* target = OpenTarget(nullptr, u"\\Program Files\\Velvane\\Konfig\\");
        platform::headless::AdvanceClock(500);
        // The mover stays above the dialog it found.
        EXPECT_EQ(platform::TopLevelWindows().back(), toolWindow);
        const auto shot = std::filesystem::temp_directory_path() / "velvane-window-mover.png";
        EXPECT_TRUE(platform::SnapshotScreenPng(shot));
        tool->Enable(WindowMover::IdDown, false);
        platform::PumpMessages();
        const platform::Canvas& surface = toolWindow->Surface();
        // The up arrow's shaft runs down the middle of its 20 x 20 face,
        // drawn 2 pixels inside the button; outside the arrow the button face
        // shows through the magenta.
        const Rect up = tool->ControlRect(WindowMover::IdUp);
        EXPECT_EQ(surface.GetPixel(up.left + 2 + 10, up.top + 2 + 14), platform::Rgb(0, 64, 160));
        EXPECT_EQ(surface.GetPixel(up.left + 2 + 3, up.top + 2 + 14), platform::Rgb(212, 208, 200));
        // The disabled down arrow is grey.
        const Rect down = tool->ControlRect(WindowMover::IdDown);
        EXPECT_EQ(surface.GetPixel(down.left + 2 + 10, down.top + 2 + 5),
                  platform::Rgb(128, 128, 128));

        target->Destroy();
        platform::PumpMessages();
    }
    platform::PumpMessages();
    EXPECT_TRUE(platform::TopLevelWindows().empty());
    EXPECT_EQ(Count("dialog close title=\"Move Window\" template=129"), 1);
}

TEST(WindowMover, TheCloseRequestClosesOnlyTheMover) {
    TempDevice device;
    WindowMover mover(Title);
    mover.GetDialog()->GetWindow().Close();
    platform::PumpMessages();
    EXPECT_FALSE(mover.GetDialog());
    EXPECT_TRUE(platform::TopLevelWindows().empty());
}
