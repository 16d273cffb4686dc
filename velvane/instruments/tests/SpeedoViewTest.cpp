#include "instruments/SpeedoView.h"
#include "instruments/MissingBitmapNotice.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;
using platform::Canvas;
using platform::Color;
using platform::Point;
using platform::Rgb;
using platform::testing::Bmp24File;
using platform::testing::MessageBoxes;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

using namespace platform::testing::colors;

void Snapshot(const Canvas& canvas, const std::string& name) {
    const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR");
    if (!dir)
        return;
    EXPECT_TRUE(canvas.SavePng(std::string(dir) + "/" + name));
    // Three times as large, to look at single pixels.
    auto zoom = Canvas::Create(canvas.Width() * 3, canvas.Height() * 3);
    zoom->StretchBlt({0, 0, zoom->Width(), zoom->Height()}, canvas);
    EXPECT_TRUE(zoom->SavePng(std::string(dir) + "/zoom-" + name));
}

// Pixels of this colour in the square of half-size r around p.
int CountNear(const Canvas& c, Point p, int r, Color color) {
    int n = 0;
    for (int y = p.y - r; y <= p.y + r; ++y)
        for (int x = p.x - r; x <= p.x + r; ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

int CountIn(const Canvas& c, platform::Rect r, Color color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += c.GetPixel(x, y) == color ? 1 : 0;
    return n;
}

// Approximately where a dial mark lies: r pixels from (cx, cy) at a
// mathematical angle in degrees. Probes around it allow for rounding.
Point Polar(int cx, int cy, double degrees, double r) {
    const double a = degrees * M_PI / 180.0;
    return {cx + int(std::lround(r * std::cos(a))), cy - int(std::lround(r * std::sin(a)))};
}

// The needle-coloured pixel farthest from the dial centre.
Point FarthestOf(const Canvas& c, Point centre, Color color) {
    Point best = centre;
    long bestD = -1;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.GetPixel(x, y) == color) {
                const long d =
                    long(x - centre.x) * (x - centre.x) + long(y - centre.y) * (y - centre.y);
                if (d > bestD)
                    bestD = d, best = {x, y};
            }
    return best;
}

class SpeedoViewTest : public ::testing::Test {
protected:
    std::unique_ptr<Canvas> Drawn(SpeedoView& view, int originX = 0, int originY = 0) {
        auto canvas = Canvas::Create(view.Width() + originX, view.Height() + originY);
        canvas->FillRect({0, 0, canvas->Width(), canvas->Height()}, Rgb(1, 2, 3));
        view.Draw(*canvas, originX, originY);
        return canvas;
    }
    void Skin(std::u16string_view path, const std::u16string& text) {
        m_device.Put(path, Utf16File(text));
    }
    // A view loaded from a skin written on the spot.
    std::unique_ptr<SpeedoView> Loaded(int w, int h, const std::u16string& text) {
        Skin(u"\\Skins\\speedo.ini", text);
        auto view = std::make_unique<SpeedoView>(m_screen, w, h);
        EXPECT_TRUE(view->Load(u"\\Skins\\speedo.ini"));
        return view;
    }

    TempDevice m_device;
    Screen m_screen{nullptr, 240, 320};
};

TEST_F(SpeedoViewTest, DefaultGeometryOn240x320) {
    SpeedoView view(m_screen, 240, 320);
    const auto& a = view.AnalogSettings();
    EXPECT_EQ(Point(a.x, a.y), Point(114, 224));
    EXPECT_EQ(a.radius, 85);
    EXPECT_EQ(view.NeedleLength(), 80);
    EXPECT_TRUE(view.IsLinear());
    EXPECT_EQ(Point(view.DigitalSettings().x, view.DigitalSettings().y), Point(120, 290));
    // Scale from 190° clockwise to -10°; 100.0 km/h points straight up.
    EXPECT_EQ(view.ScaleOffset(0), 0u);
    EXPECT_EQ(view.ScaleOffset(200), 200u);
    EXPECT_EQ(view.NeedleOffset(1000), 100u);

    // Needle tips, computed with single-precision π: at 90° the sine comes
    // out a hair below 1, so the 80-pixel needle reaches 79 pixels up; at
    // 250 km/h (-60°) the cosine gives 39.999998 and the tip stays at 153.
    const struct {
        int32_t speed;
        Point tip;
    } tips[] = {{0, {36, 237}},
                {750, {81, 152}},
                {1000, {114, 145}},
                {2000, {192, 237}},
                {2500, {153, 293}}};
    for (const auto& t : tips) {
        view.OnSpeed(t.speed);
        EXPECT_EQ(view.NeedleTip(), t.tip) << "speed " << t.speed;
    }
}

TEST_F(SpeedoViewTest, NeedleIsDrawnWhereTheSpeedPoints) {
    // Default geometry; only the needle gets a colour of its own.
    auto view = Loaded(240, 320, u"[AnalogColors]\r\nNeedle = 0000FF\r\n");
    const Point centre{114, 224};
    const struct {
        int32_t speed;
        Point tip;
    } tips[] = {{0, {36, 237}},
                {750, {81, 152}},
                {1000, {114, 145}},
                {2000, {192, 237}},
                {2500, {153, 293}}};
    for (const auto& t : tips) {
        view->OnSpeed(t.speed);
        auto canvas = Drawn(*view);
        if (t.speed == 750)
            Snapshot(*canvas, "speedo-default-75kmh.png");
        // The pen is 3 pixels wide: its end lies within a pixel or two of
        // the tip, and nothing blue reaches further out.
        const Point far = FarthestOf(*canvas, centre, Blue);
        EXPECT_LE(std::abs(far.x - t.tip.x), 2) << "speed " << t.speed;
        EXPECT_LE(std::abs(far.y - t.tip.y), 2) << "speed " << t.speed;
        EXPECT_GT(CountNear(*canvas, centre, 1, Blue), 0) << "speed " << t.speed;
    }
}

TEST_F(SpeedoViewTest, ScaleTicksNumbersAndSpecialMarks) {
    // Numbers in blue so that they can be told from the black ticks.
    auto view = Loaded(240, 320, u"[AnalogColors]\r\nDigit = 0000FF\r\n");
    view->OnSpeed(1500); // the needle clear of every probed tick
    auto canvas = Drawn(*view);
    Snapshot(*canvas, "speedo-default.png");
    const int cx = 114, cy = 224;
    auto angleOf = [](int kmh) { return 190.0 - kmh; };

    // Special marks at 30 and 50 km/h in red, 10 pixels long.
    for (int kmh : {30, 50}) {
        EXPECT_GT(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 80), 1, Red), 3) << kmh;
        EXPECT_GT(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 76), 1, Red), 3) << kmh;
    }
    // Thick ticks every 20 km/h, black, with a number outside.
    for (int kmh : {0, 20, 100, 180, 200}) {
        EXPECT_GT(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 80), 1, Black), 3) << kmh;
        EXPECT_EQ(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 80), 1, Red), 0) << kmh;
        EXPECT_GT(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 100), 8, Blue), 5) << kmh;
    }
    // Thin ticks every 5 km/h: reach 5 pixels in, not 8.
    for (int kmh : {5, 45, 175}) {
        EXPECT_GT(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 83), 1, Black), 0) << kmh;
        EXPECT_EQ(CountNear(*canvas, Polar(cx, cy, angleOf(kmh), 77), 1, Black), 0) << kmh;
    }
    // Nothing between the ticks.
    EXPECT_EQ(CountNear(*canvas, Polar(cx, cy, angleOf(12), 81), 1, Black), 0);
    // The unit label at the bottom left.
    EXPECT_GT(CountIn(*canvas, {2, 320 - 1 - 26, 70, 319}, Blue), 20);
    EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(SpeedoViewTest, DigitalNumberInItsRectangle) {
    SpeedoView view(m_screen, 240, 320);
    view.OnSpeed(75);
    EXPECT_EQ(view.DigitalText(), u" 007.5 ");
    auto canvas = Drawn(view);

    // The opaque box of " 007.5 " centred on (120, 290).
    auto probe = Canvas::Create(10, 10);
    probe->SelectFont(platform::Font::Create(60));
    const platform::Size ext = probe->GetTextExtent(u" 007.5 ");
    const platform::Rect box{120 - ext.cx / 2, 290 - ext.cy / 2, 120 - ext.cx / 2 + ext.cx, 320};
    EXPECT_GT(CountIn(*canvas, box, Green), 200);
    EXPECT_GT(CountIn(*canvas, box, Black), 500);
    EXPECT_EQ(CountIn(*canvas, {0, 0, 240, box.top}, Green), 0);
    EXPECT_EQ(CountIn(*canvas, {0, box.top, box.left, 320}, Green), 0);
    EXPECT_EQ(CountIn(*canvas, {box.right, box.top, 240, 320}, Green), 0);
    EXPECT_EQ(canvas->GetPixel(box.left, box.top), Black);
    EXPECT_EQ(canvas->GetPixel(box.right - 1, box.top), Black);
    EXPECT_NE(canvas->GetPixel(box.left - 1, box.top), Black);

    // Always three integer digits and one decimal; transparent drops the blanks.
    const struct {
        int32_t speed;
        bool transparent;
        std::u16string text;
    } texts[] = {{0, false, u" 000.0 "},
                 {2153, false, u" 215.3 "},
                 {75, true, u"007.5"},
                 {12345, true, u"1234.5"},
                 {-5, true, u"000.0"}};
    for (const auto& t : texts) {
        auto v = Loaded(240, 320, t.transparent ? u"[DigitalMetrics]\r\nTransparent = y\r\n" : u"");
        v->OnSpeed(t.speed);
        EXPECT_EQ(v->DigitalText(), t.text) << t.speed;
    }
}

TEST_F(SpeedoViewTest, TransparentTopLeftDigitsCountFromTheFarEdges) {
    auto view = Loaded(240, 320,
                       u"[AnalogMetrics]\r\nX = -20\r\ny = -40\r\n\r\n"
                       u"[DigitalMetrics]\r\nX = -20\r\nY = 10\r\nCenter = n\r\nTransparent = 1\r\n"
                       u"DigitSize = 20\r\n\r\n[DigitalColors]\r\nColor = FF00FF\r\n");
    EXPECT_EQ(view->AnalogSettings().x, 220);
    EXPECT_EQ(view->AnalogSettings().y, 280);
    EXPECT_EQ(view->DigitalSettings().x, 220);
    EXPECT_EQ(view->DigitalSettings().y, 10);
    auto canvas = Drawn(*view);
    const Color magenta = Rgb(255, 0, 255);
    // Top-left at (220, 10), no box behind the digits.
    EXPECT_GT(CountIn(*canvas, {220, 10, 240, 30}, magenta), 5);
    EXPECT_EQ(CountIn(*canvas, {0, 0, 220, 320}, magenta), 0);
    EXPECT_EQ(CountIn(*canvas, {220, 10, 240, 30}, Black), 0);
}

TEST_F(SpeedoViewTest, BrokenScale) {
    const std::u16string broken =
        u"[AnalogMetrics]\r\nAngle = 200\r\nAngleBreak = 150\r\nMaxSpeed = 200\r\n"
        u"BreakSpeed = 100\r\n";
    auto view = Loaded(240, 320, broken + u"\r\n[AnalogColors]\r\nNeedle = 0000FF\r\n");
    ASSERT_FALSE(view->IsLinear());
    EXPECT_EQ(view->ScaleOffset(50), 75u);
    EXPECT_EQ(view->ScaleOffset(100), 150u);
    EXPECT_EQ(view->ScaleOffset(150), 175u);
    EXPECT_EQ(view->ScaleOffset(200), 200u);
    EXPECT_EQ(view->NeedleOffset(500), 75u);
    // Below the break the needle follows tenths; above, whole km/h.
    EXPECT_EQ(view->NeedleOffset(505), 75u);
    EXPECT_EQ(view->NeedleOffset(510), 76u);
    EXPECT_EQ(view->NeedleOffset(1500), 175u);
    EXPECT_EQ(view->NeedleOffset(1509), 175u);
    EXPECT_EQ(view->NeedleOffset(1520), 176u);

    // 100 km/h sits at 150° of sweep, i.e. at 40°; the thick tick is there
    // and the 120 km/h tick only 10° further on.
    view->OnSpeed(500);
    auto canvas = Drawn(*view);
    Snapshot(*canvas, "speedo-broken.png");
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 40, 80), 1, Black), 3);
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 30, 80), 1, Black), 3);
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 115, 60), 1, Blue), 3); // 50 km/h: 75° of sweep
    // 60 km/h: 90° of sweep, straight up; 140 km/h: 170° of sweep, 20°.
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 100, 80), 1, Black), 3);
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 20, 80), 1, Black), 3);

    // Which settings leave the scale linear.
    const struct {
        const char16_t* skin;
        bool linear;
    } cases[] = {
        {u"AngleBreak = 150\r\nBreakSpeed = 100\r\n", false},
        {u"AngleBreak = 200\r\nBreakSpeed = 100\r\n", true},
        {u"AngleBreak = 150\r\nBreakSpeed = 200\r\n", true},
        {u"BreakSpeed = 100\r\n", true},
        {u"AngleBreak = 150\r\n", true},
    };
    for (const auto& c : cases) {
        auto v = Loaded(240, 320, std::u16string(u"[AnalogMetrics]\r\n") + c.skin);
        EXPECT_EQ(v->IsLinear(), c.linear) << testing::PrintToString(std::u16string(c.skin));
    }
}

TEST_F(SpeedoViewTest, ZeroStepsAndSpeedsDoNotCrash) {
    auto view = Loaded(
        240, 320,
        u"[AnalogMetrics]\r\nMaxSpeed = 0\r\nStepThick = 0\r\nStepThin = 0\r\nStepDigit = 0\r\n");
    EXPECT_EQ(view->NeedleOffset(500), 0u);
    view = Loaded(240, 320, u"[AnalogMetrics]\r\nAngleBreak = 100\r\nBreakSpeed = 0\r\n");
    ASSERT_FALSE(view->IsLinear());
    EXPECT_EQ(view->NeedleOffset(0), 0u);
    EXPECT_EQ(view->ScaleOffset(0), 0u);
    // A mistyped maximum does not hang the device.
    view = Loaded(240, 320, u"[AnalogMetrics]\r\nMaxSpeed = -1\r\n");
    Drawn(*view);
}

TEST_F(SpeedoViewTest, HugeGeometryIsBoundedAndDrawnAtOnce) {
    // Each of these once overflowed the dial's integer arithmetic; the first
    // walked billions of pixels for every tick.
    const char16_t* skins[] = {
        u"[AnalogMetrics]\r\nRadius = -2147483647\r\n",
        u"[AnalogMetrics]\r\nRadius = 2147483647\r\ndRadiusThick = -2147483647\r\n"
        u"dRadiusThin = -2147483648\r\nNeedleStyle = 3\r\n",
        u"[AnalogMetrics]\r\nX = 2147483647\r\nY = -2147483648\r\nAngleStart = -2147483647\r\n"
        u"TwoColored = 2147483647\r\nWithinDigits = y\r\n",
        u"[AnalogMetrics]\r\nX = -2147483647\r\n[DigitalMetrics]\r\nX = 2147483647\r\n"
        u"Y = -2147483647\r\n",
    };
    for (const char16_t* skin : skins) {
        const auto start = std::chrono::steady_clock::now();
        auto view = Loaded(240, 320, skin);
        view->OnSpeed(1234);
        Drawn(*view);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
            << platform::ToUtf8(skin);
        const SpeedoView::Analog& a = view->AnalogSettings();
        for (int v : {a.x, a.y, a.radius, a.dRadiusThick, a.dRadiusThin, a.twoColored,
                      view->DigitalSettings().x, view->DigitalSettings().y})
            EXPECT_LE(std::abs(v), SpeedoView::MaxExtent) << platform::ToUtf8(skin);
    }
    EXPECT_EQ(Loaded(240, 320, skins[0])->AnalogSettings().radius, -SpeedoView::MaxExtent);
    // Ordinary values are kept as they are, negative ones counted from the edge.
    auto view = Loaded(240, 320, u"[AnalogMetrics]\r\nRadius = 500\r\nX = -20\r\n");
    EXPECT_EQ(view->AnalogSettings().radius, 500);
    EXPECT_EQ(view->AnalogSettings().x, 220);
}

TEST_F(SpeedoViewTest, NumbersOnlyWhereTicksAreAndBothMarksMove) {
    // Special marks count as ticks, so they sit on a step here.
    auto view = Loaded(240, 320,
                       u"[AnalogMetrics]\r\nStepDigit = 10\r\nStepThin = 20\r\nStepThick = 40\r\n"
                       u"SpecialSpeed = 40\r\n\r\n[AnalogColors]\r\nDigit = 0000FF\r\n");
    auto canvas = Drawn(*view);
    auto angleOf = [](int kmh) { return 190.0 - kmh; };
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, angleOf(20), 100), 8, Blue), 5);
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, angleOf(40), 100), 8, Blue), 5);
    // The numbers are those of StepDigit 20: none at 10, 30, ... where no
    // tick is; with StepThin 10 they appear.
    auto same = [&](const std::u16string& steps) {
        auto other = Loaded(240, 320,
                            u"[AnalogMetrics]\r\n" + steps +
                                u"SpecialSpeed = 40\r\n\r\n[AnalogColors]\r\nDigit = 0000FF\r\n");
        auto c = Drawn(*other);
        return CountIn(*c, {0, 0, 240, 320}, Blue) == CountIn(*canvas, {0, 0, 240, 320}, Blue);
    };
    EXPECT_TRUE(same(u"StepDigit = 20\r\nStepThin = 20\r\nStepThick = 40\r\n"));
    EXPECT_FALSE(same(u"StepDigit = 10\r\nStepThin = 10\r\nStepThick = 40\r\n"));

    // SpecialSpeed moves both marks.
    view = Loaded(240, 320, u"[AnalogMetrics]\r\nSpecialSpeed = 70\r\n");
    EXPECT_EQ(view->AnalogSettings().specialSpeed1, 70);
    EXPECT_EQ(view->AnalogSettings().specialSpeed2, 70);
    canvas = Drawn(*view);
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, angleOf(70), 80), 1, Red), 3);
    EXPECT_EQ(CountNear(*canvas, Polar(114, 224, angleOf(30), 80), 2, Red), 0);
    EXPECT_EQ(CountNear(*canvas, Polar(114, 224, angleOf(50), 80), 2, Red), 0);
}

TEST_F(SpeedoViewTest, NeedleStyles) {
    // Pointing straight up (100 km/h): the hub is around the centre, the
    // tail of styles 3 and 4 reaches below it.
    const Color needle = Blue;
    const Point c{114, 224};
    const struct {
        int style;
        bool hubFilled; // (cx + 3, cy) inside the hub, off the line
        bool tail;      // (cx, cy + 3) on the tail
        bool shadow;    // black 3 pixels right of and below the needle
    } styles[] = {{0, false, false, false},
                  {1, false, false, false},
                  {2, false, false, true},
                  {3, true, true, false},
                  {4, false, true, false}};
    for (const auto& s : styles) {
        auto view = Loaded(240, 320,
                           u"[AnalogMetrics]\r\nNeedleStyle = " +
                               std::u16string(1, char16_t(u'0' + s.style)) +
                               u"\r\n\r\n[AnalogColors]\r\nNeedle = 0000FF\r\n");
        view->OnSpeed(1000);
        auto canvas = Drawn(*view);
        if (s.style == 3)
            Snapshot(*canvas, "speedo-needle-hub.png");
        EXPECT_EQ(canvas->GetPixel(c.x, c.y - 40), needle) << s.style;
        EXPECT_EQ(canvas->GetPixel(c.x + 3, c.y) == needle, s.hubFilled) << s.style;
        EXPECT_EQ(canvas->GetPixel(c.x, c.y + 3) == needle, s.tail) << s.style;
        EXPECT_EQ(canvas->GetPixel(c.x + 3, c.y - 40) == Black, s.shadow) << s.style;
        if (s.style == 4) {
            // Only the rim of the hollow hub: t = 85 / 14 = 6.
            EXPECT_EQ(CountNear(*canvas, {c.x + 5, c.y}, 1, needle) > 0, true);
        }
    }
}

TEST_F(SpeedoViewTest, TwoColoredOutlinesTicksAndNumbers) {
    auto plain = Loaded(240, 320, u"[AnalogColors]\r\nSecond = 00FFFF\r\n");
    const Color second = Rgb(0, 255, 255);
    EXPECT_EQ(CountIn(*Drawn(*plain), {0, 0, 240, 320}, second), 0);

    auto view =
        Loaded(240, 320,
               u"[AnalogMetrics]\r\nTwoColored = 1\r\n\r\n[AnalogColors]\r\nSecond = 00FFFF\r\n");
    auto canvas = Drawn(*view);
    Snapshot(*canvas, "speedo-twocolored.png");
    // The 100 km/h tick runs straight down from (114, 139) to (114, 149),
    // alone in this stretch of row 147: one pixel of
    // outline on either side of its 3-pixel width.
    const int y = 224 - 77;
    int left = 0, right = 0;
    for (int x = 100; x < 130; ++x) {
        left += canvas->GetPixel(x, y) == second && canvas->GetPixel(x + 1, y) == Black;
        right += canvas->GetPixel(x, y) == second && canvas->GetPixel(x - 1, y) == Black;
    }
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 1);
    // Numbers are outlined too: outline colour near the "100".
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 90, 100), 10, second), 10);
}

TEST_F(SpeedoViewTest, BitmapBackgroundIsStretchedOverTheView) {
    // Four quadrants: red, green / blue, yellow.
    m_device.Put(u"\\Skins\\img\\quad.bmp", Bmp24File(4, 4, [](int x, int y) {
                     const Color colors[] = {Red, Green, Blue, Rgb(255, 255, 0)};
                     return colors[(y >= 2 ? 2 : 0) + (x >= 2 ? 1 : 0)];
                 }));
    Skin(u"\\Skins\\Day\\bitmap.ini",
         u"[AnalogMetrics]\r\nBackgroundImage = ..\\img\\quad.bmp\r\n");
    SpeedoView view(m_screen, 240, 320);
    ASSERT_TRUE(view.Load(u"\\Skins\\Day\\bitmap.ini"));
    EXPECT_EQ(view.ImagePath(), u"\\Skins\\img\\quad.bmp");
    auto canvas = Drawn(view);
    EXPECT_EQ(canvas->GetPixel(0, 0), Red);
    EXPECT_EQ(canvas->GetPixel(119, 159), Red);
    EXPECT_EQ(canvas->GetPixel(120, 0), Green);
    EXPECT_EQ(canvas->GetPixel(0, 160), Blue);
    EXPECT_EQ(canvas->GetPixel(239, 200), Rgb(255, 255, 0));
    // The bitmap is the dial: no scale over it (the 0 km/h tick would be
    // black at 80 pixels left of the centre).
    EXPECT_EQ(CountNear(*canvas, Polar(114, 224, 190, 80), 2, Black), 0);

    // DrawSpeedo puts the scale over the bitmap; a resize stretches again.
    Skin(u"\\Skins\\Day\\both.ini",
         u"[AnalogMetrics]\r\nBackgroundImage = ..\\img\\quad.bmp\r\nDrawSpeedo = yes\r\n");
    ASSERT_TRUE(view.Load(u"\\Skins\\Day\\both.ini"));
    canvas = Drawn(view);
    Snapshot(*canvas, "speedo-bitmap.png");
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 190, 80), 1, Black), 3);
    view.Resize(100, 100);
    ASSERT_NE(view.Surface(), nullptr);
    EXPECT_EQ(view.Surface()->GetPixel(99, 99), Rgb(255, 255, 0));
    EXPECT_EQ(view.Surface()->GetPixel(49, 49), Red);
    // Size defaults are not recomputed by a resize.
    EXPECT_EQ(view.AnalogSettings().x, 114);
}

TEST_F(SpeedoViewTest, MissingBitmapShowsTheNoticeAndTheScale) {
    // Ticks in blue, to tell them from the notice's black boxes.
    // A small dial low in the view leaves the middle rows to the notice.
    Skin(u"\\Skins\\gone.ini",
         u"[AnalogMetrics]\r\nBackgroundImage = nothere.bmp\r\nRadius = 30\r\n\r\n"
         u"[AnalogColors]\r\nThick = 0000FF\r\nThin = 0000FF\r\nDigit = 0000FF\r\n");
    SpeedoView view(m_screen, 240, 320);
    platform::TranscriptClear();
    EXPECT_TRUE(view.Load(u"\\Skins\\gone.ini"));
    EXPECT_TRUE(MessageBoxes().empty()); // the picture is the report
    auto canvas = Drawn(view);
    Snapshot(*canvas, "speedo-missing-bitmap.png");
    EXPECT_EQ(canvas->GetPixel(0, 0), White);
    // Red text on black boxes just above and below the middle line.
    EXPECT_GT(CountIn(*canvas, {0, 130, 240, 160}, Red), 30);
    EXPECT_GT(CountIn(*canvas, {0, 130, 240, 160}, Black), 200);
    EXPECT_GT(CountIn(*canvas, {0, 160, 240, 190}, Red), 30);
    // Each line centred and as wide as its text: the notice, then the path.
    auto probe = Canvas::Create(10, 10);
    for (const auto& [y, text] : {std::pair{150, std::u16string(BitmapNotFoundText)},
                                  std::pair{165, std::u16string(u"\\Skins\\nothere.bmp")}}) {
        int left = 240, right = -1;
        for (int x = 0; x < 240; ++x)
            if (canvas->GetPixel(x, y) != White)
                left = std::min(left, x), right = std::max(right, x);
        EXPECT_EQ(right - left + 1, probe->GetTextExtent(text).cx) << y;
        EXPECT_NEAR(left, 239 - right, 2) << y;
    }
    // The scale is still drawn: the 20 km/h tick.
    EXPECT_GT(CountNear(*canvas, Polar(114, 224, 170, 27), 1, Blue), 3);
}

TEST_F(SpeedoViewTest, BadValuesAreReportedAndDefaultsStay) {
    Skin(u"\\Skins\\bad.ini", u"[AnalogColors]\r\nNeedle = 00FF\r\nThick = 00FF00\r\n\r\n"
                              u"[AnalogMetrics]\r\nangle = 90\r\nRadiu = 10\r\n\r\n"
                              u"[Analogmetrics]\r\nAngle = 90\r\n");
    SpeedoView view(m_screen, 240, 320);
    platform::TranscriptClear();
    EXPECT_TRUE(view.Load(u"\\Skins\\bad.ini"));
    EXPECT_EQ(view.AnalogSettings().needle, Red);
    EXPECT_EQ(view.AnalogSettings().thick, Green);
    EXPECT_EQ(view.AnalogSettings().angle, 200);
    EXPECT_EQ(view.AnalogSettings().radius, 85);
    // The first bad line is reported; the default answer silences the rest.
    auto boxes = MessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_NE(boxes[0].find("Needle = 00FF"), std::string::npos) << boxes[0];

    // A new Load starts from the defaults again.
    Skin(u"\\Skins\\a.ini",
         u"[AnalogMetrics]\r\nRadius = 50\r\nFont = " + std::u16string(40, u'F') + u"\r\n");
    ASSERT_TRUE(view.Load(u"\\Skins\\a.ini"));
    EXPECT_EQ(view.AnalogSettings().radius, 50);
    EXPECT_EQ(view.AnalogSettings().font.size(), 31u);
    ASSERT_TRUE(view.Load(u""));
    EXPECT_EQ(view.AnalogSettings().radius, 85);
    EXPECT_EQ(view.AnalogSettings().thick, Black);
}

TEST_F(SpeedoViewTest, SpeedsAskForARedrawAndFramesFollowTheOrigin) {
    SpeedoView view(m_screen, 240, 320);
    m_screen.SetTop(nullptr);
    m_screen.SetView(&view);
    auto frame = Canvas::Create(240, 320);
    m_screen.Draw(*frame, 0, 0);
    ASSERT_FALSE(m_screen.RedrawPending());
    view.OnSpeed(1000);
    EXPECT_TRUE(m_screen.RedrawPending());
    EXPECT_EQ(view.Speed(), 1000u);

    // Drawn 30 pixels right and 20 down, the whole frame moves: dial,
    // needle and digits.
    auto plain = Drawn(view);
    auto moved = Drawn(view, 30, 20);
    for (Point p : {Point{114, 200}, Point{114, 150}, Point{120, 290}, Point{36, 237}})
        EXPECT_EQ(moved->GetPixel(p.x + 30, p.y + 20), plain->GetPixel(p.x, p.y))
            << p.x << "," << p.y;
    m_screen.Forget(&view);
}

// Four complete skins as a user would write them; the snapshots are for
// looking at, the probes check what each skin is about.
TEST_F(SpeedoViewTest, Looks) {
    const std::u16string day = u"[AnalogMetrics]\r\nNeedleStyle = 3\r\nXUnit = 4\r\nYUnit = 4\r\n"
                               u"DigitSize = 22\r\n\r\n"
                               u"[DigitalMetrics]\r\nX = -66\r\nY = -26\r\nDigitSize = 40\r\n";
    const std::u16string night = u"[AnalogMetrics]\r\nX = 170\r\nY = 140\r\nRadius = "
                                 u"120\r\nAngleStart = 225\r\nAngle = 270\r\n"
                                 u"MaxSpeed = 240\r\nStepThin = 10\r\nStepDigit = "
                                 u"40\r\nWithinDigits = y\r\nDigitSize = 20\r\n"
                                 u"TwoColored = 1\r\nNeedleStyle = 4\r\nNeedleWidth = "
                                 u"4\r\nSpecialSpeed1 = 50\r\nSpecialSpeed2 = 100\r\n"
                                 u"XUnit = 150\r\nYUnit = 80\r\n\r\n"
                                 u"[AnalogColors]\r\nBackground = 101828\r\nNeedle = "
                                 u"FF9000\r\nThick = F0F0F0\r\nThin = A0A0A0\r\n"
                                 u"Special = 30C0FF\r\nSecond = 000000\r\nDigit = F0F0F0\r\n\r\n"
                                 u"[DigitalMetrics]\r\nX = -90\r\nY = 136\r\nDigitSize = "
                                 u"56\r\nFontWeight = 700\r\nTransparent = y\r\n\r\n"
                                 u"[DigitalColors]\r\nColor = FFD040\r\n";
    const std::u16string broken =
        u"[AnalogMetrics]\r\nX = 240\r\nY = 230\r\nRadius = 200\r\nAngleStart = 180\r\nAngle = "
        u"180\r\n"
        u"AngleBreak = 120\r\nBreakSpeed = 60\r\nMaxSpeed = 200\r\nStepThin = 5\r\nStepThick = "
        u"10\r\n"
        u"StepDigit = 10\r\nDigitSize = 18\r\ndRadiusThick = 14\r\ndRadiusThin = 7\r\nNeedleStyle "
        u"= 2\r\n"
        u"SpecialSpeed1 = 30\r\nSpecialSpeed2 = 50\r\nShowUnit = n\r\n\r\n"
        u"[DigitalMetrics]\r\nX = 110\r\nY = 150\r\nDigitSize = 44\r\n\r\n"
        u"[DigitalColors]\r\nColor = FFFFFF\r\nBackgroundColor = 204080\r\n";
    const std::u16string bitmap =
        u"[AnalogMetrics]\r\nBackgroundImage = ..\\img\\dial.bmp\r\nDrawSpeedo = y\r\nX = 240\r\n"
        u"Y = 200\r\nRadius = 150\r\nTwoColored = 2\r\nDigitSize = 24\r\nXUnit = 210\r\nYUnit = "
        u"100\r\n\r\n"
        u"[AnalogColors]\r\nThick = FFFFFF\r\nThin = FFFFFF\r\nDigit = FFFFFF\r\nSecond = "
        u"000000\r\n"
        u"Needle = FFE000\r\n\r\n[DigitalMetrics]\r\nY = -36\r\nDigitSize = 48\r\nTransparent = "
        u"y\r\n";
    // A dark radial shade, a quarter of the screen's size.
    auto shade = [](int x, int y) {
        const int d = std::min(255, int(std::hypot(x - 60, y - 50) * 3));
        return Rgb(uint8_t(20 + d / 4), uint8_t(40 + d / 5), uint8_t(90 + d / 2));
    };
    m_device.Put(u"\\Skins\\img\\dial.bmp", Bmp24File(120, 68, shade));

    auto dayView = Loaded(240, 320, day);
    dayView->OnSpeed(873);
    auto canvas = Drawn(*dayView);
    Snapshot(*canvas, "look-day.png");
    EXPECT_EQ(canvas->GetPixel(114, 224), Red); // the filled hub

    auto nightView = Loaded(480, 272, night);
    nightView->OnSpeed(1264);
    canvas = Drawn(*nightView);
    Snapshot(*canvas, "look-night.png");
    EXPECT_EQ(canvas->GetPixel(0, 0), Rgb(0x10, 0x18, 0x28));
    EXPECT_GT(CountIn(*canvas, {0, 0, 480, 272}, Rgb(0xFF, 0x90, 0x00)), 100);
    EXPECT_GT(CountIn(*canvas, {480 - 90 - 100, 100, 480, 180}, Rgb(0xFF, 0xD0, 0x40)), 200);

    auto brokenView = Loaded(480, 272, broken);
    ASSERT_FALSE(brokenView->IsLinear());
    brokenView->OnSpeed(1000);
    canvas = Drawn(*brokenView);
    Snapshot(*canvas, "look-broken.png");
    // 60 km/h is at 120° of the 180° sweep: 60°; 100 km/h at 120 + 40 · 60 / 140 = 137°, 43°.
    EXPECT_GT(CountNear(*canvas, Polar(240, 230, 60, 195), 1, Rgb(0, 0, 0)), 3);
    EXPECT_EQ(brokenView->NeedleOffset(1000), 137u);

    Skin(u"\\Skins\\Night\\bitmap.ini", bitmap);
    SpeedoView bitmapView(m_screen, 480, 272);
    ASSERT_TRUE(bitmapView.Load(u"\\Skins\\Night\\bitmap.ini"));
    bitmapView.OnSpeed(452);
    canvas = Drawn(bitmapView);
    Snapshot(*canvas, "look-bitmap.png");
    // Stretched four times: screen (479, 3) shows bitmap pixel (119, 0).
    EXPECT_EQ(canvas->GetPixel(0, 0), shade(0, 0));
    EXPECT_EQ(canvas->GetPixel(479, 3), shade(119, 0));
    EXPECT_GT(CountIn(*canvas, {0, 0, 480, 272}, Rgb(0xFF, 0xE0, 0x00)), 100);
}

} // namespace
