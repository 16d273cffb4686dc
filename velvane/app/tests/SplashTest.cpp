#include "app/Splash.h"
#include "display/Screen.h"

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/keys.h"
#include "platform/resources.h"
#include "platform/testing/temp_device.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

using namespace velvane;
using platform::Rect;
using platform::Rgb;
using platform::testing::TempDevice;

namespace {

const platform::Color Backdrop = Rgb(0x40, 0x80, 0x40);

const std::vector<uint8_t>& SplashBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::ifstream in(std::string(SUITE_SOURCE_DIR) + "/velvane/resources/splash.bmp",
                         std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
    }();
    return bytes;
}

bool Contains(const std::vector<Drawable*>& list, const Drawable* d) {
    return std::find(list.begin(), list.end(), d) != list.end();
}

// An empty view, so that a blank picture means "nothing but the backdrop".
class NoView : public Drawable {
public:
    NoView() : Drawable(480, 272) {}
    void Draw(platform::Canvas&, int, int) override {}
};

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SplashBytes().empty());
        platform::RegisterResource(Splash::BitmapResource, SplashBytes());
        m_bitmap = platform::Bitmap::LoadResource(Splash::BitmapResource);
        ASSERT_TRUE(m_bitmap);
        // Nothing but the splash on the screen: no start view, no menu.
        m_screen.SetView(&m_view);
        m_screen.SetTop(nullptr);
    }
    std::unique_ptr<platform::Canvas> Paint() {
        auto canvas = platform::Canvas::Create(m_screen.Width(), m_screen.Height());
        canvas->FillRect(Rect{0, 0, canvas->Width(), canvas->Height()}, Backdrop);
        m_screen.Draw(*canvas, 0, 0);
        platform::PumpMessages();
        return canvas;
    }
    // Where the splash bitmap lands on a 480 x 272 screen.
    Rect Placed() const {
        const int left = (480 - m_bitmap->Width()) / 2;
        const int top = (272 - m_bitmap->Height()) / 2;
        return {left, top, left + m_bitmap->Width(), top + m_bitmap->Height()};
    }
    // Whether the canvas shows the bitmap at its place (key colour: backdrop),
    // apart from where the version text may lie.
    bool ShowsBitmap(const platform::Canvas& canvas) const {
        const Rect at = Placed();
        for (int y = 0; y < m_bitmap->Height(); ++y)
            for (int x = 0; x < m_bitmap->Width(); ++x) {
                if (y < m_bitmap->Height() * 2 / 5 && x > m_bitmap->Width() / 2)
                    continue;
                const platform::Color want = m_bitmap->GetPixel(x, y);
                const platform::Color got = canvas.GetPixel(at.left + x, at.top + y);
                if (got != (want == 0xFF00FF ? Backdrop : want))
                    return false;
            }
        return true;
    }
    bool Blank(const platform::Canvas& canvas) const {
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                if (canvas.GetPixel(x, y) != Backdrop)
                    return false;
        return true;
    }

    TempDevice m_device;
    NoView m_view;
    Screen m_screen{nullptr, 480, 272};
    std::unique_ptr<platform::Bitmap> m_bitmap;
};

TEST_F(SplashTest, ShownWhenTheCommandIsMadeAndGoneAtTheFirstPaintAfter999Ms) {
    AboutCommand about(m_screen);
    EXPECT_TRUE(Contains(m_screen.Overlays(), &about.GetSplash()));
    EXPECT_TRUE(m_screen.RedrawPending());

    EXPECT_TRUE(ShowsBitmap(*Paint()));
    platform::headless::AdvanceClock(999);
    EXPECT_TRUE(ShowsBitmap(*Paint())) << "999 ms after showing it is still there";
    platform::headless::AdvanceClock(1);
    EXPECT_TRUE(Blank(*Paint())) << "the first paint after that draws nothing instead";
    EXPECT_FALSE(about.GetSplash().IsShown());
    EXPECT_FALSE(Contains(m_screen.Overlays(), &about.GetSplash()))
        << "and the splash left the overlay list";
    EXPECT_FALSE(m_screen.OnKey(platform::vk::Return)) << "keys pass again";
}

TEST_F(SplashTest, TimedRemovalWaitsForAPaintAndSurvivesTheTickCounterWrapping) {
    platform::headless::SetTickCount(0xFFFFFF00u);
    AboutCommand about(m_screen);
    platform::headless::AdvanceClock(5000);
    EXPECT_TRUE(about.GetSplash().IsShown()) << "without a paint it stays";
    Paint();
    EXPECT_FALSE(about.GetSplash().IsShown());

    platform::headless::SetTickCount(0xFFFFFF00u);
    about.Execute();
    platform::headless::AdvanceClock(300);
    Paint();
    EXPECT_TRUE(about.GetSplash().IsShown()) << "300 ms across the wrap is not 999 ms";
}

// A window that paints the screen, as the program's main window does.
class ScreenPainter : public platform::WindowHandler {
public:
    Screen* screen = nullptr;
    int paints = 0;
    void OnPaint(platform::Window&, platform::Canvas& canvas) override {
        ++paints;
        canvas.FillRect(Rect{0, 0, canvas.Width(), canvas.Height()}, Backdrop);
        if (screen)
            screen->Draw(canvas, 0, 0);
    }
};

// With no data nothing else is drawn: the splash must still go by itself.
TEST_F(SplashTest, ATimedShowingEndsWithoutAnyOtherDrawing) {
    ScreenPainter painter;
    platform::WindowOptions options;
    options.className = u"Velvane";
    options.title = u"Velvane";
    options.rect = {0, 0, 480, 272};
    platform::Window* window = platform::Window::Create(options, painter);
    ASSERT_NE(window, nullptr);
    {
        Screen screen(window, 480, 272);
        screen.SetView(&m_view);
        screen.SetTop(nullptr);
        painter.screen = &screen;
        AboutCommand about(screen);
        window->Update();
        platform::PumpMessages();
        ASSERT_TRUE(about.GetSplash().IsShown());
        const int paints = painter.paints;
        platform::headless::AdvanceClock(999);
        platform::PumpMessages();
        EXPECT_EQ(painter.paints, paints) << "nothing asks for a paint while it shows";
        EXPECT_TRUE(about.GetSplash().IsShown());
        platform::headless::AdvanceClock(2);
        platform::PumpMessages();
        EXPECT_GT(painter.paints, paints) << "its time up, it asks for one paint";
        EXPECT_FALSE(about.GetSplash().IsShown());
        EXPECT_FALSE(Contains(screen.Overlays(), &about.GetSplash()));
        painter.screen = nullptr;
    }
    window->Destroy();
    platform::PumpMessages();
}

TEST_F(SplashTest, AKeyOrTapRemovesItAndIsUsedUp) {
    AboutCommand about(m_screen);
    EXPECT_TRUE(m_screen.OnKey(platform::vk::Down));
    EXPECT_FALSE(about.GetSplash().IsShown());
    EXPECT_FALSE(Contains(m_screen.Overlays(), &about.GetSplash()));
    EXPECT_FALSE(m_screen.OnKey(platform::vk::Down)) << "the next key goes on as usual";

    about.Execute();
    EXPECT_TRUE(m_screen.OnTap(5, 5));
    EXPECT_FALSE(about.GetSplash().IsShown());
    EXPECT_FALSE(m_screen.OnTap(5, 5));
}

TEST_F(SplashTest, ExecuteTogglesAndAShowingByHandDoesNotExpire) {
    AboutCommand about(m_screen);
    about.Execute();
    EXPECT_FALSE(about.GetSplash().IsShown());
    EXPECT_FALSE(Contains(m_screen.Overlays(), &about.GetSplash()));

    about.Execute();
    EXPECT_TRUE(about.GetSplash().IsShown());
    platform::headless::AdvanceClock(10000);
    EXPECT_TRUE(ShowsBitmap(*Paint()));
    EXPECT_TRUE(about.GetSplash().IsShown());
    EXPECT_EQ(
        std::count(m_screen.Overlays().begin(), m_screen.Overlays().end(), &about.GetSplash()), 1);
}

TEST_F(SplashTest, ExpiredButNotYetUnlistedSplashShowsAgainOnce) {
    AboutCommand about(m_screen);
    platform::headless::AdvanceClock(1000);
    auto canvas = platform::Canvas::Create(480, 272);
    m_screen.Draw(*canvas, 0, 0); // expires; its removal waits for the loop
    about.Execute();
    platform::PumpMessages();
    EXPECT_TRUE(about.GetSplash().IsShown());
    EXPECT_EQ(
        std::count(m_screen.Overlays().begin(), m_screen.Overlays().end(), &about.GetSplash()), 1);
}

TEST_F(SplashTest, VersionIsRightAlignedInTheTopTwoFifthsInItsColour) {
    AboutCommand about(m_screen);
    auto canvas = Paint();
    // Pixels that differ from the plain bitmap belong to "v1.0".
    const Rect at = Placed();
    const Rect box{at.left, at.top, at.right - 6, at.top + m_bitmap->Height() * 2 / 5};
    int count = 0, right = -1, bottom = -1, outside = 0, darkest = 255 * 3;
    platform::Color darkestColour = 0;
    for (int y = at.top; y < at.bottom; ++y)
        for (int x = at.left; x < at.right; ++x) {
            const platform::Color want = m_bitmap->GetPixel(x - at.left, y - at.top);
            const platform::Color got = canvas->GetPixel(x, y);
            if (got == (want == 0xFF00FF ? Backdrop : want))
                continue;
            ++count;
            outside += !box.Contains(x, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
            const int sum = platform::GetR(got) + platform::GetG(got) + platform::GetB(got);
            if (sum < darkest) {
                darkest = sum;
                darkestColour = got;
            }
        }
    EXPECT_GT(count, 20);
    EXPECT_EQ(outside, 0);
    EXPECT_GE(right, box.right - 4) << "right-aligned to 6 px before the bitmap's edge";
    EXPECT_GE(bottom, box.bottom - 6) << "at the bottom of the top two fifths";
    EXPECT_EQ(darkestColour, Splash::VersionColor);
}

TEST_F(SplashTest, WithoutItsBitmapNothingIsShownAndNoInputIsTaken) {
    static const uint8_t nothing[1] = {0};
    platform::RegisterResource(Splash::BitmapResource, std::span<const uint8_t>(nothing, 0));
    AboutCommand about(m_screen);
    EXPECT_FALSE(about.GetSplash().IsShown());
    EXPECT_TRUE(m_screen.Overlays().empty());
    EXPECT_FALSE(m_screen.OnKey(platform::vk::Return));
    about.Execute();
    EXPECT_TRUE(m_screen.Overlays().empty());
}

TEST_F(SplashTest, DeletingTheCommandTakesTheSplashOffTheScreen) {
    {
        AboutCommand about(m_screen);
        ASSERT_EQ(m_screen.Overlays().size(), 1u);
    }
    EXPECT_TRUE(m_screen.Overlays().empty());
    // A removal posted by an expired splash must not touch it once deleted.
    {
        AboutCommand about(m_screen);
        platform::headless::AdvanceClock(1000);
        auto canvas = platform::Canvas::Create(480, 272);
        m_screen.Draw(*canvas, 0, 0);
    }
    platform::PumpMessages();
    EXPECT_TRUE(m_screen.Overlays().empty());
}

// The picture for the documentation, written when VELVANE_DOCS names a folder.
TEST_F(SplashTest, Snapshot) {
    AboutCommand about(m_screen);
    auto canvas = platform::Canvas::Create(480, 272);
    canvas->FillRect(Rect{0, 0, 480, 272}, Rgb(0x30, 0x30, 0x38));
    m_screen.Draw(*canvas, 0, 0);
    const char* docs = std::getenv("VELVANE_DOCS");
    const auto path = std::filesystem::path(docs ? docs : ::testing::TempDir()) / "splash.png";
    EXPECT_TRUE(canvas->SavePng(path)) << path;
}

} // namespace
