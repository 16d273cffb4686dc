#include "display/TextOverlay.h"
#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::Rgb;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

using namespace platform::testing::colors;

// Shows a fixed text and uses taps on it, as the concrete overlays do.
class FixedText : public TextOverlay {
public:
    FixedText(Screen& screen, int width, int height, std::u16string text = u"88")
        : TextOverlay(screen, width, height), text(std::move(text)) {}
    int FormatText(char16_t* buffer, int capacity) override {
        lastCapacity = capacity;
        const int n = std::min<int>(static_cast<int>(text.size()), capacity);
        std::copy_n(text.data(), n, buffer);
        return n;
    }
    bool OnTap(int x, int y) override { return HitTest(x, y, static_cast<int>(text.size())); }

    std::u16string text;
    int lastCapacity = -1;
};

class TextOverlayTest : public ::testing::Test {
protected:
    // Loads an overlay of w x h from a settings file holding these lines.
    FixedText& Loaded(const std::u16string& lines, int w = 240, int h = 320,
                      std::u16string text = u"88") {
        m_screen = std::make_unique<Screen>(nullptr, w, h);
        m_overlay = std::make_unique<FixedText>(*m_screen, w, h, std::move(text));
        m_device.Put(u"\\Skins\\overlay.ini", Utf16File(u"[Settings]\r\n" + lines));
        platform::TranscriptClear();
        EXPECT_TRUE(m_overlay->Load(u"\\Skins\\overlay.ini"));
        return *m_overlay;
    }
    std::unique_ptr<platform::Canvas> Drawn(int originX = 0, int originY = 0) {
        auto canvas =
            platform::Canvas::Create(m_screen->Width() + originX, m_screen->Height() + originY);
        m_overlay->Draw(*canvas, originX, originY);
        return canvas;
    }

    TempDevice m_device;
    std::unique_ptr<Screen> m_screen;
    std::unique_ptr<FixedText> m_overlay;
};

// Bounds of everything that is not white.
struct Ink {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

Ink InkOf(const platform::Canvas& canvas) {
    Ink ink;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (canvas.GetPixel(x, y) != White) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

TEST_F(TextOverlayTest, SettingsKeys) {
    FixedText& o = Loaded(
        u"x = -5\r\nY = 30\r\nSize = 20\r\nWeight = 700\r\nColor = 0080FF\r\nBufferSize = 8\r\n");
    EXPECT_EQ(o.X(), -5);
    EXPECT_TRUE(o.RightAnchored());
    EXPECT_EQ(o.Y(), 30);
    EXPECT_FALSE(o.BottomAnchored());
    EXPECT_EQ(o.FontSize(), 20);
    EXPECT_EQ(o.FontWeight(), 700);
    EXPECT_EQ(o.TextColor(), Rgb(0, 0x80, 0xFF));
    EXPECT_EQ(o.BufferSize(), 8);
    ASSERT_TRUE(o.GetFont().has_value());
    EXPECT_EQ(o.GetFont()->Height(), 20);
    EXPECT_EQ(o.GetFont()->Weight(), 700);
    EXPECT_TRUE(MessageBoxes().empty());

    // "-0" still anchors: the sign decides, not the value.
    FixedText& zero = Loaded(u"Y = -0\r\n");
    EXPECT_EQ(zero.Y(), 0);
    EXPECT_TRUE(zero.BottomAnchored());
}

TEST_F(TextOverlayTest, LoadStartsFromTheDefaultsEveryTime) {
    FixedText& o = Loaded(u"X = -50\r\nY = -60\r\nSize = 20\r\nColor = FF0000\r\nBufferSize = "
                          u"4\r\nFont = Courier New\r\n");
    m_device.Put(u"\\Skins\\plain.ini", Utf16File(u"[Settings]\r\n"));
    EXPECT_TRUE(o.Load(u"\\Skins\\plain.ini"));
    EXPECT_EQ(o.X(), 10);
    EXPECT_EQ(o.Y(), 10);
    EXPECT_FALSE(o.RightAnchored());
    EXPECT_FALSE(o.BottomAnchored());
    EXPECT_EQ(o.FontSize(), 0);
    EXPECT_EQ(o.TextColor(), Rgb(0, 0, 0));
    EXPECT_EQ(o.BufferSize(), 32);
    ASSERT_TRUE(o.GetFont().has_value());
    EXPECT_EQ(o.GetFont()->FaceName(), u"");
}

TEST_F(TextOverlayTest, AMissingFileFailsButLeavesAUsableOverlay) {
    FixedText& o = Loaded(u"Size = 20\r\n");
    EXPECT_FALSE(o.Load(u"\\Skins\\missing.ini"));
    EXPECT_EQ(o.FontSize(), 0);
    ASSERT_TRUE(o.GetFont().has_value());
    EXPECT_FALSE(InkOf(*Drawn()).Empty());
}

TEST_F(TextOverlayTest, BadValuesAreRejectedAndReported) {
    FixedText& o =
        Loaded(u"Color = FF00\r\nBufferSize = 0\r\nBufferSize = 99999999\r\nColour = 00FF00\r\n");
    EXPECT_EQ(o.TextColor(), Rgb(0, 0, 0));
    EXPECT_EQ(o.BufferSize(), 32);
    auto boxes = MessageBoxes();
    // The first report is answered with Cancel (the headless default), which
    // silences the rest of the file.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("caption=\"IniParser - Ignoriere unbekanntes Attribut:\""),
              std::string::npos)
        << boxes[0];
    EXPECT_NE(boxes[0].find("Color = FF00"), std::string::npos) << boxes[0];

    // Each bad line on its own, so all of them are seen to be reported.
    for (const char16_t* line : {u"BufferSize = 0\r\n", u"BufferSize = 99999999\r\n",
                                 u"Colour = 00FF00\r\n", u"Color = 00FF000\r\n"}) {
        Loaded(line);
        EXPECT_EQ(MessageBoxes().size(), 1u) << platform::ToUtf8(line);
    }
}

TEST_F(TextOverlayTest, FontFaceIsCutTo31Characters) {
    EXPECT_EQ(Loaded(u"Font = Courier New\r\n").GetFont()->FaceName(), u"Courier New");
    const std::u16string forty = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    ASSERT_EQ(forty.size(), 40u);
    EXPECT_EQ(Loaded(u"Font = " + forty + u"\r\n").GetFont()->FaceName(), forty.substr(0, 31));
}

TEST_F(TextOverlayTest, BufferSizeBoundsTheText) {
    FixedText& o = Loaded(u"BufferSize = 3\r\nSize = 20\r\n", 240, 320, u"88888888");
    auto three = InkOf(*Drawn());
    EXPECT_EQ(o.lastCapacity, 3);
    o.text = u"888";
    auto same = InkOf(*Drawn());
    EXPECT_EQ(three.right, same.right);
}

// Pixels: the text box is placed by X and Y, a minus counting from the far edge.
TEST_F(TextOverlayTest, PositionAndAnchoring) {
    // Right end at 235 on a 240-wide screen: the last ink column is just left
    // of it (glyphs keep a little side bearing).
    Loaded(u"X = -5\r\nSize = 20\r\n");
    auto right = InkOf(*Drawn());
    EXPECT_LE(right.right, 234) << right.right;
    EXPECT_GE(right.right, 233) << right.right;

    Loaded(u"Y = -5\r\nSize = 20\r\n");
    auto bottom = InkOf(*Drawn());
    EXPECT_LE(bottom.bottom, 314);
    EXPECT_GE(bottom.bottom, 314 - 8); // above the descent of the cell
    EXPECT_GE(bottom.left, 10);
    EXPECT_LE(bottom.left, 12);

    Loaded(u"Size = 20\r\n");
    auto plain = InkOf(*Drawn());
    EXPECT_GE(plain.left, 10);
    EXPECT_LE(plain.left, 12);
    EXPECT_GE(plain.top, 10);
    EXPECT_LE(plain.top, 10 + 8);
    // The origin moves everything.
    auto moved = InkOf(*Drawn(30, 40));
    EXPECT_EQ(moved.left, plain.left + 30);
    EXPECT_EQ(moved.top, plain.top + 40);
}

TEST_F(TextOverlayTest, ColourAndTransparentBackground) {
    Loaded(u"Color = 0000FF\r\nSize = 30\r\n");
    auto canvas = platform::Canvas::Create(240, 320);
    canvas->FillRect({0, 0, 240, 320}, Rgb(0, 255, 0));
    m_overlay->Draw(*canvas, 0, 0);
    int blue = 0, other = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 240; ++x) {
            const auto c = canvas->GetPixel(x, y);
            blue += c == Rgb(0, 0, 255) ? 1 : 0;
            other += (c != Rgb(0, 0, 255) && c != Rgb(0, 255, 0)) ? 1 : 0; // edges blend
        }
    }
    EXPECT_GT(blue, 20);
    // No opaque box: the green stays around the glyphs.
    EXPECT_EQ(canvas->GetPixel(11, 11), Rgb(0, 255, 0));
    EXPECT_GT(other, 0);
}

TEST_F(TextOverlayTest, HitTestEstimatesTheTextBox) {
    // 5 characters of size 30: 100 pixels wide, 30 high.
    struct Case {
        const char16_t* settings;
        int x, y;
        bool hit;
    };
    const Case cases[] = {
        {u"Size = 30\r\n", 10, 10, true},
        {u"Size = 30\r\n", 109, 39, true},
        {u"Size = 30\r\n", 110, 10, false},
        {u"Size = 30\r\n", 10, 40, false},
        {u"Size = 30\r\n", 9, 10, false},
        {u"Size = 30\r\nX = -5\r\n", 135, 10, true},
        {u"Size = 30\r\nX = -5\r\n", 234, 10, true},
        {u"Size = 30\r\nX = -5\r\n", 134, 10, false},
        {u"Size = 30\r\nX = -5\r\n", 235, 10, false},
        {u"Size = 30\r\nY = -5\r\n", 10, 285, true},
        {u"Size = 30\r\nY = -5\r\n", 10, 314, true},
        {u"Size = 30\r\nY = -5\r\n", 10, 315, false},
        {u"Size = 30\r\nY = -5\r\n", 10, 284, false},
    };
    for (const auto& c : cases) {
        FixedText& o = Loaded(c.settings, 240, 320, u"12345");
        EXPECT_EQ(o.OnTap(c.x, c.y), c.hit)
            << platform::ToUtf8(c.settings) << " tap " << c.x << "," << c.y;
    }
}

// A tap the overlay uses ends there; others go on to the view.
TEST_F(TextOverlayTest, ATapOnTheOverlayDoesNotReachTheView) {
    struct TapCounter : Drawable {
        int taps = 0;
        TapCounter() : Drawable(240, 320) {}
        void Draw(platform::Canvas&, int, int) override {}
        bool OnTap(int, int) override { return ++taps, true; }
    };
    FixedText& o = Loaded(u"Size = 30\r\n", 240, 320, u"12345");
    TapCounter view;
    m_screen->SetView(&view);
    m_screen->AddOverlay(&o);
    EXPECT_TRUE(m_screen->OnTap(20, 20));
    EXPECT_EQ(view.taps, 0);
    EXPECT_TRUE(m_screen->OnTap(200, 200));
    EXPECT_EQ(view.taps, 1);
}

} // namespace
