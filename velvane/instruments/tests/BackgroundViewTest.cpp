#include "instruments/BackgroundView.h"
#include "instruments/MissingBitmapNotice.h"

#include "display/Screen.h"
#include "display/TextOverlay.h"

#include "platform/canvas.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::Color;
using platform::Rgb;
using platform::testing::Bmp24File;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

using namespace platform::testing::colors;

// Four quadrants: red, green / blue, yellow.
Color Quadrant(int x, int y) {
    static const Color colors[] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
                                   Rgb(255, 255, 0)};
    return colors[(y >= 2 ? 2 : 0) + (x >= 2 ? 1 : 0)];
}

void Snapshot(const platform::Canvas& canvas, const std::string& name) {
    if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR")) {
        EXPECT_TRUE(canvas.SavePng(std::string(dir) + "/" + name));
    }
}

class BackgroundViewTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Canvas> Drawn(BackgroundView& view) {
        auto canvas = platform::Canvas::Create(view.Width(), view.Height());
        canvas->FillRect({0, 0, view.Width(), view.Height()}, Rgb(1, 2, 3));
        view.Draw(*canvas, 0, 0);
        return canvas;
    }
    void Settings(std::u16string_view path, const std::u16string& lines) {
        m_device.Put(path, Utf16File(u"[Background]\r\n" + lines));
    }
    // How many pixels of the canvas rows [top, bottom) have this colour.
    static int Count(const platform::Canvas& c, int top, int bottom, Color color) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.GetPixel(x, y) == color ? 1 : 0;
        return n;
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
};

TEST_F(BackgroundViewTest, WithoutSettingsTheViewIsWhite) {
    BackgroundView view(m_screen, 240, 320);
    auto canvas = Drawn(view);
    EXPECT_EQ(Count(*canvas, 0, 320, White), 240 * 320);
    EXPECT_TRUE(view.Load(u""));
    EXPECT_EQ(Count(*Drawn(view), 0, 320, White), 240 * 320);
}

TEST_F(BackgroundViewTest, ColourNeedsExactlySixDigits) {
    BackgroundView view(m_screen, 240, 320);
    Settings(u"\\Skins\\green.ini", u"Color = 00C000\r\n");
    EXPECT_TRUE(view.Load(u"\\Skins\\green.ini"));
    EXPECT_EQ(view.BackgroundColor(), Rgb(0, 0xC0, 0));
    EXPECT_EQ(Count(*Drawn(view), 0, 320, Rgb(0, 0xC0, 0)), 240 * 320);

    // A short value is refused (and reported); the colour goes back to white.
    Settings(u"\\Skins\\short.ini", u"Color = FF00\r\n");
    platform::TranscriptClear();
    EXPECT_TRUE(view.Load(u"\\Skins\\short.ini"));
    EXPECT_EQ(view.BackgroundColor(), White);
    EXPECT_EQ(Count(*Drawn(view), 0, 320, White), 240 * 320);
    auto boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Color = FF00"), std::string::npos) << boxes[0];

    // Another section's keys are not the background's.
    Settings(u"\\Skins\\other.ini", u"\r\n[Settings]\r\nColor = 000000\r\n");
    platform::TranscriptClear();
    view.Load(u"\\Skins\\other.ini");
    EXPECT_EQ(view.BackgroundColor(), White);
    EXPECT_EQ(MessageBoxes().size(), 1u);
}

TEST_F(BackgroundViewTest, ImageIsStretchedOverTheWholeView) {
    m_device.Put(u"\\Skins\\img\\quad.bmp", Bmp24File(4, 4, Quadrant));
    // Relative to the settings file's folder, climbing out with "..\\".
    Settings(u"\\Skins\\Day\\bg.ini", u"Color = 000000\r\nImage = ..\\img\\quad.bmp\r\n");
    BackgroundView view(m_screen, 240, 320);
    ASSERT_TRUE(view.Load(u"\\Skins\\Day\\bg.ini"));
    auto canvas = Drawn(view);
    Snapshot(*canvas, "background-stretched.png");
    EXPECT_EQ(canvas->GetPixel(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(canvas->GetPixel(119, 159), Rgb(255, 0, 0));
    EXPECT_EQ(canvas->GetPixel(120, 0), Rgb(0, 255, 0));
    EXPECT_EQ(canvas->GetPixel(239, 159), Rgb(0, 255, 0));
    EXPECT_EQ(canvas->GetPixel(0, 160), Rgb(0, 0, 255));
    EXPECT_EQ(canvas->GetPixel(239, 319), Rgb(255, 255, 0));

    // The next load without an image is a plain colour again.
    Settings(u"\\Skins\\Day\\plain.ini", u"Color = 000080\r\n");
    ASSERT_TRUE(view.Load(u"\\Skins\\Day\\plain.ini"));
    EXPECT_EQ(Count(*Drawn(view), 0, 320, Rgb(0, 0, 0x80)), 240 * 320);
}

TEST_F(BackgroundViewTest, AMissingImageShowsTheNoticeInRedOnBlack) {
    Settings(u"\\Skins\\bg.ini", u"Color = 00FF00\r\nImage = nothere.bmp\r\n");
    BackgroundView view(m_screen, 240, 320);
    platform::TranscriptClear();
    EXPECT_TRUE(view.Load(u"\\Skins\\bg.ini"));
    EXPECT_TRUE(MessageBoxes().empty()); // the picture is the report
    auto canvas = Drawn(view);
    Snapshot(*canvas, "background-notice.png");

    const Color green = Rgb(0, 255, 0);
    EXPECT_EQ(canvas->GetPixel(0, 0), green);
    EXPECT_EQ(canvas->GetPixel(239, 319), green);
    // "Bitmap nicht gefunden:" sits on the middle line from above, the path
    // right below it: red glyphs on black boxes, the colour fill elsewhere.
    const int line = 30;
    EXPECT_GT(Count(*canvas, 160 - line, 160, Red), 30);
    EXPECT_GT(Count(*canvas, 160 - line, 160, Black), 200);
    EXPECT_GT(Count(*canvas, 160, 160 + line, Red), 30);
    EXPECT_GT(Count(*canvas, 160, 160 + line, Black), 200);
    EXPECT_EQ(Count(*canvas, 0, 160 - line, green), 240 * (160 - line));
    EXPECT_EQ(Count(*canvas, 160 + line, 320, green), 240 * (160 - line));
    // Both lines are centred, and each opaque box is as wide as its text:
    // the notice, then the image path joined to the settings folder.
    auto extent = [&](std::u16string_view text) { return canvas->GetTextExtent(text).cx; };
    const struct {
        int y;
        int width;
    } lines[] = {{150, extent(BitmapNotFoundText)}, {165, extent(u"\\Skins\\nothere.bmp")}};
    for (const auto& line : lines) {
        int left = 240, right = -1;
        for (int x = 0; x < 240; ++x) {
            if (canvas->GetPixel(x, line.y) != green) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        ASSERT_GE(right, left) << line.y;
        EXPECT_NEAR(left, 239 - right, 2) << line.y;
        EXPECT_EQ(right - left + 1, line.width) << line.y;
    }
    EXPECT_NE(extent(u"\\Skins\\nothere.bmp"), extent(u"nothere.bmp"));
}

TEST_F(BackgroundViewTest, ImageWithoutAKnownSettingsPathIsAcceptedAndIgnored) {
    BackgroundView view(m_screen, 240, 320);
    EXPECT_TRUE(view.OnAttribute(view.OnSection(u"Background"), u"Image", u"x.bmp"));
    view.Load(u"");
    EXPECT_EQ(Count(*Drawn(view), 0, 320, White), 240 * 320);
}

TEST_F(BackgroundViewTest, DrawsAtTheOriginAndResizeRebuilds) {
    Settings(u"\\Skins\\c.ini", u"Color = 800000\r\n");
    BackgroundView view(m_screen, 20, 10);
    ASSERT_TRUE(view.Load(u"\\Skins\\c.ini"));
    auto canvas = platform::Canvas::Create(60, 40);
    view.Draw(*canvas, 30, 20);
    EXPECT_EQ(canvas->GetPixel(30, 20), Rgb(0x80, 0, 0));
    EXPECT_EQ(canvas->GetPixel(49, 29), Rgb(0x80, 0, 0));
    EXPECT_EQ(canvas->GetPixel(50, 29), White);
    EXPECT_EQ(canvas->GetPixel(29, 20), White);

    view.Resize(40, 30);
    ASSERT_NE(view.Surface(), nullptr);
    EXPECT_EQ(view.Surface()->Width(), 40);
    view.Draw(*canvas, 0, 0);
    EXPECT_EQ(canvas->GetPixel(39, 29), Rgb(0x80, 0, 0));
}

TEST_F(BackgroundViewTest, EmptyViewEntryLifecycle) {
    ComponentEntryOf<BackgroundView> entry(m_screen, nullptr, BackgroundView::Class);
    EXPECT_EQ(entry.GetLabel(), u"Leer");
    EXPECT_EQ(entry.GetDrawable(), nullptr);
    EXPECT_FALSE(entry.LoadIni(u"\\Skins\\c.ini"));

    // A view starts with its defaults; a path given to Activate is ignored.
    Settings(u"\\Skins\\c.ini", u"Color = 800000\r\n");
    ASSERT_TRUE(entry.Activate(u"\\Skins\\c.ini"));
    Drawable* view = entry.GetDrawable();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Width(), 240);
    EXPECT_EQ(view->Height(), 320);
    EXPECT_EQ(entry.Instance()->BackgroundColor(), White);
    EXPECT_TRUE(entry.Activate());
    EXPECT_EQ(entry.GetDrawable(), view); // no second instance
    EXPECT_TRUE(entry.LoadIni(u"\\Skins\\c.ini"));
    EXPECT_EQ(entry.Instance()->BackgroundColor(), Rgb(0x80, 0, 0));

    auto clone = entry.Clone(m_screen, nullptr);
    EXPECT_EQ(clone->GetLabel(), u"Leer");
    EXPECT_EQ(clone->GetDrawable(), nullptr);

    // Deleting the shown view brings the start view back, never a dangling one.
    m_screen.SetTop(nullptr);
    m_screen.SetView(view);
    ASSERT_EQ(m_screen.StartViewIfAlive(), nullptr);
    entry.Deactivate();
    EXPECT_EQ(entry.GetDrawable(), nullptr);
    EXPECT_NE(m_screen.View(), view);
    EXPECT_EQ(m_screen.View(), m_screen.StartViewIfAlive());
}

// What a user sees of an "Empty" view: a stretched bitmap and three overlays.
class Label : public TextOverlay {
public:
    Label(Screen& s, int w, int h, std::u16string text)
        : TextOverlay(s, w, h), m_text(std::move(text)) {}
    int FormatText(char16_t* buffer, int capacity) override {
        const int n = std::min<int>(static_cast<int>(m_text.size()), capacity);
        std::copy_n(m_text.data(), n, buffer);
        return n;
    }

private:
    std::u16string m_text;
};

TEST_F(BackgroundViewTest, EmptyViewWithOverlaysOnTheScreen) {
    const int w = 480, h = 272;
    Screen screen(nullptr, w, h);
    m_device.Put(u"\\Skins\\img\\sky.bmp", Bmp24File(16, 9, [](int x, int y) {
                     return Rgb(uint8_t(40 + y * 20), uint8_t(90 + y * 15), uint8_t(160 + x * 5));
                 }));
    Settings(u"\\Skins\\sky.ini", u"Image = img\\sky.bmp\r\n");
    m_device.Put(u"\\Skins\\a.ini",
                 Utf16File(u"[Settings]\r\nX = 10\r\nY = 10\r\nSize = 40\r\nColor = FFFFFF\r\n"));
    m_device.Put(u"\\Skins\\b.ini",
                 Utf16File(u"[Settings]\r\nX = -10\r\nY = -10\r\nSize = 28\r\nColor = FFFF00\r\n"));
    m_device.Put(
        u"\\Skins\\c.ini",
        Utf16File(
            u"[Settings]\r\nX = -10\r\nY = 10\r\nSize = 24\r\nWeight = 700\r\nColor = 000000\r\n"));

    ComponentEntryOf<BackgroundView> entry(screen, nullptr, BackgroundView::Class);
    ASSERT_TRUE(entry.Activate());
    ASSERT_TRUE(entry.LoadIni(u"\\Skins\\sky.ini"));
    Label a(screen, w, h, u"123 km/h"), b(screen, w, h, u"12:34"), c(screen, w, h, u"Vmax 88");
    ASSERT_TRUE(a.Load(u"\\Skins\\a.ini"));
    ASSERT_TRUE(b.Load(u"\\Skins\\b.ini"));
    ASSERT_TRUE(c.Load(u"\\Skins\\c.ini"));
    screen.SetTop(nullptr);
    screen.SetView(entry.GetDrawable());
    for (Label* o : {&a, &b, &c})
        screen.AddOverlay(o);

    auto canvas = platform::Canvas::Create(w, h);
    screen.Draw(*canvas, 0, 0);
    Snapshot(*canvas, "empty-view-overlays.png");
    // Bitmap pixel (8, 4) covers (240, 136) of the screen, which is
    // clear of every text.
    EXPECT_EQ(canvas->GetPixel(240, 136), Rgb(120, 150, 160 + 8 * 5));
    auto count = [&](int l, int t, int r, int b, Color color) {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                n += canvas->GetPixel(x, y) == color ? 1 : 0;
        return n;
    };
    EXPECT_GT(count(10, 10, 200, 60, White), 50);                            // top left
    EXPECT_GT(count(w - 150, h - 50, w - 10, h - 10, Rgb(255, 255, 0)), 30); // bottom right
    EXPECT_GT(count(w - 150, 10, w - 10, 40, Black), 30);                    // top right
    entry.Deactivate();
    EXPECT_TRUE(screen.Overlays().size() == 3);
}

} // namespace
