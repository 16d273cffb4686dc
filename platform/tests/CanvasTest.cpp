// Pixel probes on tiny canvases. Each test says what the picture should be.
#include "platform/canvas.h"
#include "platform/error.h"
#include "platform/testing/colors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

using namespace platform;

namespace {

using namespace platform::testing::colors;

std::unique_ptr<Canvas> Blank(int w, int h) {
    auto canvas = Canvas::Create(w, h);
    EXPECT_TRUE(canvas);
    return canvas;
}

// The picture as rows of characters: '.' white, '#' black, 'r' red, 'b'
// blue, '?' anything else. Failures print it whole.
std::string Picture(const Canvas& c) {
    std::string out;
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            Color p = c.GetPixel(x, y);
            out += p == White ? '.' : p == Black ? '#' : p == Red ? 'r' : p == Blue ? 'b' : '?';
        }
        out += '\n';
    }
    return out;
}

std::string Rows(std::initializer_list<const char*> rows) {
    std::string out;
    for (const char* r : rows)
        out += std::string(r) + '\n';
    return out;
}

// The box around every pixel that is not the background colour.
Rect Ink(const Canvas& c, Color background = White) {
    Rect box{c.Width(), c.Height(), -1, -1};
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            if (c.GetPixel(x, y) != background) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

int CountColor(const Canvas& c, Color color) {
    int n = 0;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            n += c.GetPixel(x, y) == color;
    return n;
}

} // namespace

TEST(Canvas, StartsWhiteAndRejectsBadSizes) {
    auto c = Blank(3, 2);
    EXPECT_EQ(c->Width(), 3);
    EXPECT_EQ(c->Height(), 2);
    EXPECT_EQ(Picture(*c), Rows({"...", "..."}));
    EXPECT_EQ(c->GetPixel(3, 0), InvalidColor);
    EXPECT_EQ(c->GetPixel(-1, 0), InvalidColor);
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-1, 5}, {20000, 5}}) {
        EXPECT_FALSE(Canvas::Create(w, h)) << w << "x" << h;
        EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
    }
}

TEST(Canvas, RectangleCoversLeftToRightMinusOne) {
    // Black outline from (1,1) to (4,4) exclusive, red inside.
    auto c = Blank(6, 6);
    c->SelectPen(Pen::Solid(1, Black));
    c->SelectBrush(Brush::Solid(Red));
    c->Rectangle(1, 1, 5, 5);
    EXPECT_EQ(Picture(*c), Rows({"......", ".####.", ".#rr#.", ".#rr#.", ".####.", "......"}));

    // Without a pen the brush covers the whole rectangle; a hollow brush
    // leaves the inside alone.
    auto d = Blank(5, 4);
    d->SelectPen(Pen::Null());
    d->SelectBrush(Brush::Solid(Blue));
    d->Rectangle(0, 0, 3, 2);
    d->SelectPen(Pen::Solid(1, Black));
    d->SelectBrush(Brush::Null());
    d->Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Picture(*d), Rows({"bbb..", "b####", ".#..#", ".####"}));
}

TEST(Canvas, FillRectAndViewportOrigin) {
    auto c = Blank(5, 4);
    c->FillRect({1, 1, 3, 2}, Red);
    c->FillRect({3, 3, 3, 4}, Black); // empty: nothing
    EXPECT_EQ(Picture(*c), Rows({".....", ".rr..", ".....", "....."}));

    // Logical (0,0) lands on device (2,1); GetPixel is logical too.
    Point old = c->SetViewportOrigin({2, 1});
    EXPECT_EQ(old, (Point{0, 0}));
    c->FillRect({0, 1, 1, 2}, Black);
    EXPECT_EQ(c->GetPixel(0, 1), Black);
    c->SetViewportOrigin({0, 0});
    EXPECT_EQ(c->GetPixel(2, 2), Black);
    EXPECT_EQ(CountColor(*c, Black), 1);
}

TEST(Canvas, ThinLinesLeaveOutTheirEndPoint) {
    struct Case {
        Point from, to;
        std::vector<Point> on, off;
    };
    const Case cases[] = {
        {{0, 0}, {4, 0}, {{0, 0}, {3, 0}}, {{4, 0}}},
        {{4, 2}, {0, 2}, {{4, 2}, {1, 2}}, {{0, 2}}},
        {{1, 4}, {1, 0}, {{1, 4}, {1, 1}}, {{1, 0}}},
        {{0, 0}, {4, 4}, {{0, 0}, {1, 1}, {3, 3}}, {{4, 4}, {1, 0}}},
        {{0, 4}, {4, 2}, {{0, 4}, {3, 2}}, {{4, 2}}},
    };
    for (const Case& k : cases) {
        auto c = Blank(5, 5);
        c->SelectPen(Pen::Solid(1, Black));
        c->MoveTo(k.from.x, k.from.y);
        c->LineTo(k.to.x, k.to.y);
        std::string where = "line (" + std::to_string(k.from.x) + "," + std::to_string(k.from.y) +
                            ")-(" + std::to_string(k.to.x) + "," + std::to_string(k.to.y) + ")\n" +
                            Picture(*c);
        for (Point p : k.on)
            EXPECT_EQ(c->GetPixel(p.x, p.y), Black) << p.x << "," << p.y << " " << where;
        for (Point p : k.off)
            EXPECT_EQ(c->GetPixel(p.x, p.y), White) << p.x << "," << p.y << " " << where;
        EXPECT_EQ(c->CurrentPosition(), k.to);
    }
}

// The one-pixel walk over the whole line, end point left out: what a line
// looked like before lines were clipped to the canvas.
std::vector<Point> WalkedPixels(Point from, Point to) {
    std::vector<Point> pixels;
    const int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
    const int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    for (Point p = from; !(p == to);) {
        pixels.push_back(p);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.y += sy;
        }
    }
    return pixels;
}

TEST(Canvas, ClippedLinesKeepThePixelsOfTheWholeWalk) {
    // Lines reaching far outside a small canvas, some under a viewport
    // origin: inside, each sets exactly the pixels the full walk sets.
    uint32_t seed = 12345;
    auto next = [&seed](int lo, int hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + int((seed >> 8) % uint32_t(hi - lo + 1));
    };
    for (int i = 0; i < 400; ++i) {
        const Point from{next(-60, 80), next(-50, 60)}, to{next(-60, 80), next(-50, 60)};
        const Point origin = i % 3 == 0 ? Point{3, -2} : Point{0, 0};
        auto c = Blank(20, 15);
        c->SetViewportOrigin(origin);
        c->SelectPen(Pen::Solid(1, Black));
        c->MoveTo(from.x, from.y);
        c->LineTo(to.x, to.y);
        c->SetViewportOrigin({0, 0}); // pixels are read in surface coordinates
        auto want = Blank(20, 15);
        for (Point p : WalkedPixels(from, to))
            want->SetPixel(p.x + origin.x, p.y + origin.y, Black);
        EXPECT_EQ(Picture(*c), Picture(*want))
            << "line (" << from.x << "," << from.y << ")-(" << to.x << "," << to.y << ") origin "
            << origin.x << "," << origin.y;
    }
}

// Thin lines go straight into the pixels: copies made before keep the old
// picture, copies made after show the line, and filled shapes drawn later
// cover it.
TEST(Canvas, ThinLinesMixWithCopiesAndFills) {
    auto c = Blank(4, 4);
    c->SelectPen(Pen::Solid(1, Black));
    c->MoveTo(0, 0);
    c->LineTo(4, 0);
    auto before = Blank(4, 4);
    before->BitBlt(0, 0, 4, 4, *c, 0, 0);
    c->MoveTo(0, 3);
    c->LineTo(4, 3);
    c->FillRect({2, 0, 3, 4}, Brush::Solid(Red));
    auto after = Blank(4, 4);
    after->BitBlt(0, 0, 4, 4, *c, 0, 0);
    EXPECT_EQ(Picture(*before), "####\n....\n....\n....\n");
    EXPECT_EQ(Picture(*after), "##r#\n..r.\n..r.\n##r#\n");
}

TEST(Canvas, HugeLinesEndAtOnceWithTheRightPixels) {
    constexpr int Min = std::numeric_limits<int>::min(), Max = std::numeric_limits<int>::max();
    struct Case {
        Point from, to;
        const char* picture;
    } cases[] = {
        {{Min, 2}, {Max, 2}, "....\n....\n####\n....\n"},
        {{1, Max}, {1, Min}, ".#..\n.#..\n.#..\n.#..\n"},
        // The diagonal through the canvas, from far outside on both ends.
        {{-1000000000, -1000000000}, {1000000000, 1000000000}, "#...\n.#..\n..#.\n...#\n"},
        {{Min, Min}, {Max, Min}, "....\n....\n....\n....\n"},
        {{Max, Max}, {Min, Min}, "#...\n.#..\n..#.\n...#\n"},
    };
    for (const auto& k : cases) {
        auto c = Blank(4, 4);
        c->SelectPen(Pen::Solid(1, Black));
        c->Polyline(std::vector<Point>{k.from, k.to});
        EXPECT_EQ(Picture(*c), k.picture)
            << "line (" << k.from.x << "," << k.from.y << ")-(" << k.to.x << "," << k.to.y << ")";
    }
}

TEST(Canvas, PolylineAndPenStyles) {
    // An L: down the left column, then along the bottom row; the last point
    // is left out, the corner is drawn once.
    auto c = Blank(4, 4);
    c->SelectPen(Pen::Solid(1, Black));
    const Point l[] = {{0, 0}, {0, 3}, {3, 3}};
    c->Polyline(l);
    EXPECT_EQ(Picture(*c), Rows({"#...", "#...", "#...", "###."}));

    // A null pen draws nothing but still moves the current position.
    c->SelectPen(Pen::Null());
    c->MoveTo(1, 1);
    c->LineTo(3, 1);
    EXPECT_EQ(CountColor(*c, Black), 6);
    EXPECT_EQ(c->CurrentPosition(), (Point{3, 1}));

    // A wide pen is centred on the pixels named and includes the end.
    auto w = Blank(9, 5);
    w->SelectPen(Pen::Solid(3, Red));
    w->MoveTo(2, 2);
    w->LineTo(6, 2);
    for (int x = 2; x <= 6; ++x)
        for (int y = 1; y <= 3; ++y)
            EXPECT_EQ(w->GetPixel(x, y), Red) << x << "," << y << "\n" << Picture(*w);
    EXPECT_EQ(w->GetPixel(2, 0), White) << Picture(*w);
    EXPECT_EQ(w->GetPixel(8, 2), White) << Picture(*w);
}

TEST(Canvas, PolygonFillsWithBrushAndOutlinesWithPen) {
    // A right triangle; inside red, outline black, outside white.
    auto c = Blank(8, 8);
    c->SelectPen(Pen::Solid(1, Black));
    c->SelectBrush(Brush::Solid(Red));
    const Point t[] = {{0, 0}, {6, 0}, {0, 6}};
    c->Polygon(t);
    EXPECT_EQ(c->GetPixel(0, 0), Black) << Picture(*c);
    EXPECT_EQ(c->GetPixel(6, 0), Black) << Picture(*c);
    EXPECT_EQ(c->GetPixel(0, 6), Black) << Picture(*c);
    EXPECT_EQ(c->GetPixel(3, 3), Black) << Picture(*c); // on the hypotenuse
    EXPECT_EQ(c->GetPixel(1, 1), Red) << Picture(*c);
    EXPECT_EQ(c->GetPixel(2, 2), Red) << Picture(*c);
    EXPECT_EQ(c->GetPixel(5, 5), White) << Picture(*c);
    EXPECT_EQ(c->GetPixel(7, 0), White) << Picture(*c);

    // Hollow brush, null pen: nothing at all.
    auto d = Blank(8, 8);
    d->SelectPen(Pen::Null());
    d->SelectBrush(Brush::Null());
    d->Polygon(t);
    EXPECT_EQ(CountColor(*d, White), 64);
}

TEST(Canvas, EllipseAndRoundRectStayInsideTheirBox) {
    auto c = Blank(14, 12);
    c->SelectPen(Pen::Solid(1, Black));
    c->SelectBrush(Brush::Solid(Red));
    c->Ellipse(1, 1, 13, 11);
    EXPECT_EQ(Ink(*c), (Rect{1, 1, 13, 11})) << Picture(*c);
    EXPECT_EQ(c->GetPixel(1, 1), White) << Picture(*c); // corners of the box stay free
    EXPECT_EQ(c->GetPixel(12, 10), White) << Picture(*c);
    EXPECT_EQ(c->GetPixel(7, 1), Black) << Picture(*c);
    EXPECT_EQ(c->GetPixel(1, 6), Black) << Picture(*c);
    EXPECT_EQ(c->GetPixel(7, 6), Red) << Picture(*c);

    auto r = Blank(20, 10);
    r->SelectPen(Pen::Solid(1, Black));
    r->SelectBrush(Brush::Solid(Blue));
    r->RoundRect(0, 0, 20, 10, 8, 8);
    EXPECT_EQ(Ink(*r), (Rect{0, 0, 20, 10})) << Picture(*r);
    EXPECT_EQ(r->GetPixel(0, 0), White) << Picture(*r);
    EXPECT_EQ(r->GetPixel(19, 9), White) << Picture(*r);
    EXPECT_EQ(r->GetPixel(10, 0), Black) << Picture(*r);
    EXPECT_EQ(r->GetPixel(10, 9), Black) << Picture(*r);
    EXPECT_EQ(r->GetPixel(0, 5), Black) << Picture(*r);
    EXPECT_EQ(r->GetPixel(10, 5), Blue) << Picture(*r);
}

TEST(Canvas, FocusRectIsDottedAndUndoesItself) {
    auto c = Blank(6, 5);
    c->FillRect({0, 0, 6, 5}, Black);
    c->FocusRect({0, 0, 6, 5});
    EXPECT_EQ(Picture(*c), Rows({".#.#.#", "#####.", ".#####", "#####.", ".#.#.#"}));
    c->FocusRect({0, 0, 6, 5});
    EXPECT_EQ(CountColor(*c, Black), 30);
}

TEST(Canvas, DrawEdgeRaisedIsLightAboveAndDarkBelow) {
    auto c = Blank(6, 6);
    c->FillRect({0, 0, 6, 6}, Blue);
    c->DrawEdge({0, 0, 6, 6}, EdgeStyle::Raised);
    EXPECT_EQ(c->GetPixel(5, 5), Black);
    EXPECT_EQ(c->GetPixel(0, 0), Rgb(192, 192, 192));
    EXPECT_EQ(c->GetPixel(1, 1), White);
    EXPECT_EQ(c->GetPixel(4, 4), Rgb(128, 128, 128));
    EXPECT_EQ(c->GetPixel(2, 2), Blue);
    c->DrawEdge({0, 0, 6, 6}, EdgeStyle::Sunken);
    EXPECT_EQ(c->GetPixel(0, 0), Rgb(128, 128, 128));
    EXPECT_EQ(c->GetPixel(1, 1), Black);
    EXPECT_EQ(c->GetPixel(5, 5), White);
}

TEST(Canvas, SelectReturnsThePreviousObjectAndGuardsRestoreIt) {
    auto c = Blank(2, 2);
    Pen red = Pen::Solid(2, Red);
    EXPECT_EQ(c->SelectPen(red), Pen{});
    {
        ScopedPen pen(*c, Pen::Null());
        ScopedBrush brush(*c, Brush::Null());
        EXPECT_EQ(c->CurrentPen().style, PenStyle::Null);
    }
    EXPECT_EQ(c->CurrentPen(), red);
    EXPECT_EQ(c->CurrentBrush(), Brush{});
    {
        CanvasStateSaver saver(*c);
        c->SetTextColor(Red);
        c->SetBackgroundMode(BackgroundMode::Transparent);
        c->SetViewportOrigin({5, 5});
        c->SelectFont(Font::Create(30));
    }
    EXPECT_EQ(c->TextColor(), Black);
    EXPECT_EQ(c->GetBackgroundMode(), BackgroundMode::Opaque);
    EXPECT_EQ(c->GetViewportOrigin(), (Point{0, 0}));
    EXPECT_EQ(c->CurrentFont(), Font{});
}

TEST(Font, HeightWeightAndFaceName) {
    Font cell = Font::Create(20);
    Font em = Font::Create(-20);
    auto c = Blank(4, 4);
    c->SelectFont(cell);
    TextMetrics m = c->GetTextMetrics();
    EXPECT_EQ(m.height, 20);
    EXPECT_EQ(m.ascent + m.descent, 20);
    EXPECT_GT(m.internalLeading, 0);
    EXPECT_GT(m.averageCharWidth, 0);
    c->SelectFont(em);
    // A character height of 20 makes a taller cell than a cell height of 20.
    EXPECT_GT(c->GetTextMetrics().height, 20);
    EXPECT_EQ(c->GetTextMetrics().height - c->GetTextMetrics().internalLeading, 20);

    Font normal = Font::Create(20, 0, u"Arial");
    Font bold = Font::Create(20, 700, u"Arial");
    EXPECT_EQ(normal.Weight(), 400);
    c->SelectFont(normal);
    int normalWidth = c->GetTextExtent(u"Hallo Welt").cx;
    c->SelectFont(bold);
    EXPECT_GT(c->GetTextExtent(u"Hallo Welt").cx, normalWidth);

    // Equal requests share one font.
    EXPECT_EQ(Font::Create(20, 0, u"Arial"), normal);
    EXPECT_EQ(Font::Create(0).Height(), Font::DefaultHeight);

    std::u16string longName = u"Courier New Courier New Courier New 1234"; // 40 characters
    ASSERT_EQ(longName.size(), 40u);
    Font cut = Font::Create(12, 0, longName);
    EXPECT_EQ(cut.FaceName(), longName.substr(0, 31));
    Font courier = Font::Create(12, 0, u"Courier New");
    EXPECT_EQ(courier.FaceName(), u"Courier New");
    c->SelectFont(courier);
    // A monospaced face: every character has the same advance.
    EXPECT_EQ(c->GetTextExtent(u"iiii").cx, c->GetTextExtent(u"WWWW").cx);
}

TEST(CanvasText, DrawTextClipsToItsRectUnlessNoClip) {
    // A long red text in a rect covering the left half: red appears inside
    // the rect, nothing to its right; with NoClip it runs on.
    for (bool noClip : {false, true}) {
        auto c = Blank(120, 30);
        c->SelectFont(Font::Create(20));
        c->SetTextColor(Red);
        c->SetBackgroundMode(BackgroundMode::Transparent);
        Rect r{0, 0, 40, 30};
        c->DrawText(u"WWWWWWWWWW", r, TextFlag::SingleLine | (noClip ? TextFlag::NoClip : 0));
        Rect ink = Ink(*c);
        EXPECT_LT(ink.left, 5) << "noClip " << noClip;
        if (noClip)
            EXPECT_GT(ink.right, 60);
        else
            EXPECT_LE(ink.right, 40);
        EXPECT_GT(CountColor(*c, Red), 0);
    }
}

TEST(CanvasText, AlignmentPlacesTheText) {
    struct Case {
        uint32_t flags;
        const char* name;
    };
    const Case cases[] = {{TextFlag::Left, "left"},
                          {TextFlag::Center | TextFlag::VCenter, "centre"},
                          {TextFlag::Right | TextFlag::Bottom, "right bottom"}};
    Font font = Font::Create(16);
    for (const Case& k : cases) {
        auto c = Blank(200, 60);
        c->SelectFont(font);
        c->SetBackgroundMode(BackgroundMode::Transparent);
        int width = c->GetTextExtent(u"Mitte").cx;
        Rect r{10, 5, 190, 55};
        c->DrawText(u"Mitte", r, k.flags | TextFlag::SingleLine);
        Rect ink = Ink(*c);
        ASSERT_FALSE(ink.IsEmpty()) << k.name;
        int cellLeft = r.left;
        int cellTop = r.top;
        if (k.flags & TextFlag::Center) {
            cellLeft = r.left + (r.Width() - width) / 2;
            cellTop = r.top + (r.Height() - 16) / 2;
        }
        if (k.flags & TextFlag::Right) {
            cellLeft = r.right - width;
            cellTop = r.bottom - 16;
        }
        // Ink stays inside the text cell, close to its edges.
        EXPECT_GE(ink.left, cellLeft) << k.name;
        EXPECT_LE(ink.left, cellLeft + 3) << k.name;
        EXPECT_LE(ink.right, cellLeft + width + 1) << k.name;
        EXPECT_GE(ink.right, cellLeft + width - 3) << k.name;
        EXPECT_GE(ink.top, cellTop) << k.name;
        EXPECT_LE(ink.bottom, cellTop + 16) << k.name;
    }
}

TEST(CanvasText, WordBreakAndCalcRect) {
    auto c = Blank(200, 100);
    c->SelectFont(Font::Create(16));
    c->SetBackgroundMode(BackgroundMode::Transparent);
    int wordWidth = c->GetTextExtent(u"Geschwindigkeit").cx;
    Rect narrow{0, 0, wordWidth + 10, 100};

    // Two words that do not fit on one line: two lines.
    Rect calc = narrow;
    int height =
        c->DrawText(u"Geschwindigkeit Tacho", calc, TextFlag::WordBreak | TextFlag::CalcRect);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(calc.bottom, 32);
    EXPECT_EQ(calc.right, narrow.right) << "a word break keeps the width that fits";
    EXPECT_EQ(CountColor(*c, White), 200 * 100) << "CalcRect draws nothing";

    Rect draw = narrow;
    EXPECT_EQ(c->DrawText(u"Geschwindigkeit Tacho", draw, TextFlag::WordBreak), 32);
    Rect ink = Ink(*c);
    EXPECT_GT(ink.bottom, 17) << "second line drawn";
    EXPECT_LE(ink.bottom, 32);

    // A line break starts a line of its own; a single line ignores it.
    Rect lines = narrow;
    EXPECT_EQ(c->DrawText(u"a\nb\nc", lines, TextFlag::CalcRect), 48);
    Rect one{0, 0, 10, 10};
    EXPECT_EQ(c->DrawText(u"ab\ncd", one, TextFlag::SingleLine | TextFlag::CalcRect), 16);
    EXPECT_EQ(one.right, c->GetTextExtent(u"abcd").cx);

    // Prefix processing: "&&" is one "&", a lone "&" vanishes.
    Rect prefix{0, 0, 0, 0};
    c->DrawText(u"a&&b&c", prefix, TextFlag::SingleLine | TextFlag::CalcRect);
    EXPECT_EQ(prefix.right, c->GetTextExtent(u"a&bc").cx);
    Rect raw{0, 0, 0, 0};
    c->DrawText(u"a&&b", raw, TextFlag::SingleLine | TextFlag::CalcRect | TextFlag::NoPrefix);
    EXPECT_EQ(raw.right, c->GetTextExtent(u"a&&b").cx);
}

TEST(CanvasText, OpaqueModeFillsTheCell) {
    auto c = Blank(100, 30);
    c->SelectFont(Font::Create(20));
    c->SetBackgroundColor(Blue);
    c->SetTextColor(White);
    c->TextOut(5, 5, u"Tx");
    Size extent = c->GetTextExtent(u"Tx");
    EXPECT_EQ(Ink(*c), (Rect{5, 5, 5 + extent.cx, 25}));
    EXPECT_EQ(c->GetPixel(5 + extent.cx - 1, 24), Blue);

    auto t = Blank(100, 30);
    t->SelectFont(Font::Create(20));
    t->SetBackgroundMode(BackgroundMode::Transparent);
    t->SetBackgroundColor(Blue);
    t->TextOut(5, 5, u"Tx");
    EXPECT_EQ(CountColor(*t, Blue), 0);
    EXPECT_GT(CountColor(*t, Black), 0);
}

TEST(Blit, BitBltCopiesARegionAndClipsAtTheEdges) {
    auto src = Blank(3, 3);
    src->SetPixel(1, 1, Red);
    src->SetPixel(2, 2, Blue);
    auto dst = Blank(4, 4);
    EXPECT_TRUE(dst->BitBlt(0, 0, 2, 2, *src, 1, 1));
    EXPECT_EQ(Picture(*dst), Rows({"r...", ".b..", "....", "...."}));

    // Partly outside the destination and the source: only what exists lands.
    EXPECT_TRUE(dst->BitBlt(2, 2, 5, 5, *src, 0, 0));
    EXPECT_EQ(Picture(*dst), Rows({"r...", ".b..", "....", "...r"}));
    EXPECT_TRUE(dst->BitBlt(-10, -10, 3, 3, *src, 0, 0));
    EXPECT_FALSE(dst->BitBlt(0, 0, -1, 2, *src, 0, 0));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);

    // Onto itself, overlapping: reads the picture as it was.
    auto self = Blank(4, 1);
    self->SetPixel(0, 0, Red);
    self->SetPixel(1, 0, Blue);
    EXPECT_TRUE(self->BitBlt(1, 0, 3, 1, *self, 0, 0));
    EXPECT_EQ(Picture(*self), Rows({"rrb."}));
}

TEST(Blit, StretchAndTransparentCopies) {
    // 2x2 red/blue over black/white, stretched to 4x4: each pixel a 2x2 block.
    auto src = Blank(2, 2);
    src->SetPixel(0, 0, Red);
    src->SetPixel(1, 0, Blue);
    src->SetPixel(0, 1, Black);
    auto dst = Blank(5, 5);
    EXPECT_TRUE(dst->StretchBlt({0, 0, 4, 4}, *src));
    EXPECT_EQ(Picture(*dst), Rows({"rrbb.", "rrbb.", "##...", "##...", "....."}));

    // Shrinking 4x4 to 2x2 takes the pixel nearest each centre: (1,1), (3,1), (1,3), (3,3).
    auto small = Blank(2, 2);
    small->StretchBlt({0, 0, 2, 2}, *dst, {0, 0, 4, 4});
    EXPECT_EQ(Picture(*small), Rows({"rb", "#."}));

    // Transparent: the key colour (blue) leaves the green underneath.
    auto over = Blank(4, 4);
    over->FillRect({0, 0, 4, 4}, Rgb(0, 255, 0));
    EXPECT_TRUE(over->TransparentBlt({0, 0, 4, 4}, *src, {0, 0, 2, 2}, Blue));
    EXPECT_EQ(over->GetPixel(0, 0), Red);
    EXPECT_EQ(over->GetPixel(3, 0), Rgb(0, 255, 0));
    EXPECT_EQ(over->GetPixel(2, 1), Rgb(0, 255, 0));
    EXPECT_EQ(over->GetPixel(0, 3), Black);
    EXPECT_EQ(over->GetPixel(3, 3), White);
}

TEST(Canvas, SavePngReportsFailure) {
    auto c = Blank(2, 2);
    EXPECT_FALSE(c->SavePng("/nonexistent-folder/x.png"));
    EXPECT_EQ(LastError().code, ErrorCode::WriteFault);
    EXPECT_NE(LastError().message.find("x.png"), std::string::npos);
}
