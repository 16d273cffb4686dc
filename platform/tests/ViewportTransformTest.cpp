// The logical screen in a window of another size: where the picture goes and
// which logical pixel a tap on the real window hits.
#include "../src/sdl/viewport_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace platform;

namespace {

struct Fit {
    const char* what;
    Size logical;
    Size output;
    Rect picture;
};

TEST(ViewportTransform, FitsThePictureWholeWithItsAspectKept) {
    const Fit fits[] = {
        {"same size", {480, 272}, {480, 272}, {0, 0, 480, 272}},
        {"twice the size", {480, 272}, {960, 544}, {0, 0, 960, 544}},
        {"7-inch panel: bars above and below", {480, 272}, {800, 480}, {0, 13, 800, 466}},
        {"wide window: bars left and right", {480, 272}, {1000, 272}, {260, 0, 740, 272}},
        {"tall window", {480, 272}, {480, 800}, {0, 264, 480, 536}},
        {"smaller than drawn", {800, 480}, {400, 300}, {0, 30, 400, 270}},
        {"odd pixel left over goes right", {2, 1}, {5, 1}, {1, 0, 3, 1}},
        {"a sliver keeps a pixel", {480, 272}, {1, 100}, {0, 49, 1, 50}},
    };
    for (const Fit& f : fits) {
        ViewportTransform t(f.logical, f.output);
        EXPECT_EQ(t.Picture(), f.picture) << f.what;
    }
}

TEST(ViewportTransform, MapsTapsBackAndNothingOnTheBars) {
    ViewportTransform panel({480, 272}, {800, 480});
    struct Tap {
        int x, y;
        std::optional<Point> logical;
    } taps[] = {
        {0, 13, Point{0, 0}},     {799, 465, Point{479, 271}}, {400, 240, Point{240, 136}},
        {5, 5, std::nullopt},     {400, 12, std::nullopt},     {400, 466, std::nullopt},
        {800, 100, std::nullopt}, {-1, 100, std::nullopt},
    };
    for (const Tap& tap : taps)
        EXPECT_EQ(panel.ToLogical(tap.x, tap.y), tap.logical) << tap.x << "," << tap.y;

    // The fault a resized window had: a tap meant for the right of the
    // picture must not land on its left half.
    ViewportTransform wide({480, 272}, {960, 544});
    EXPECT_EQ(wide.ToLogical(700, 300), (Point{350, 150}));
}

TEST(ViewportTransform, EveryLogicalPixelIsFoundWhereItWasDrawn) {
    for (Size output : {Size{800, 480}, Size{1200, 680}, Size{1920, 1080}, Size{481, 273}}) {
        ViewportTransform t({480, 272}, output);
        for (int y = 0; y < 272; ++y)
            for (int x = 0; x < 480; ++x) {
                Point at = t.ToOutput(x, y);
                ASSERT_EQ(t.ToLogical(at.x, at.y), (Point{x, y}))
                    << "logical " << x << "," << y << " in " << output.cx << "x" << output.cy;
            }
    }
}

TEST(ViewportTransform, ShrunkPicturesStayInsideTheLogicalScreen) {
    ViewportTransform t({800, 480}, {333, 201});
    Rect p = t.Picture();
    for (int y = p.top; y < p.bottom; ++y)
        for (int x = p.left; x < p.right; ++x) {
            auto at = t.ToLogical(x, y);
            ASSERT_TRUE(at);
            ASSERT_TRUE((Rect{0, 0, 800, 480}.Contains(*at))) << x << "," << y;
        }
}

TEST(ViewportTransform, AnEmptySizeShowsAndMapsNothing) {
    for (auto [logical, output] :
         {std::pair{Size{0, 272}, Size{800, 480}}, std::pair{Size{480, 272}, Size{0, 0}}}) {
        ViewportTransform t(logical, output);
        EXPECT_TRUE(t.Picture().IsEmpty());
        EXPECT_EQ(t.Scale(), 0);
        EXPECT_FALSE(t.ToLogical(0, 0));
    }
}

} // namespace

TEST(ViewportTransform, TurnsAndMirrorsEveryWayAndMapsTapsBack) {
    // A 4 x 3 picture; where its top-left pixel and the one right of it
    // show, which fixes the whole turn.
    const struct {
        bool mirror;
        int rotation;
        Point first, second;
    } cases[] = {
        {false, 0, {0, 0}, {1, 0}},   {true, 0, {3, 0}, {2, 0}},    {false, 90, {2, 0}, {2, 1}},
        {true, 90, {0, 0}, {0, 1}},   {false, 180, {3, 2}, {2, 2}}, {true, 180, {0, 2}, {1, 2}},
        {false, 270, {0, 3}, {0, 2}}, {true, 270, {2, 3}, {2, 2}},
    };
    for (const auto& c : cases) {
        const Presentation p{c.mirror, c.rotation};
        const std::string what = std::to_string(c.rotation) + (c.mirror ? " mirrored" : "") + ": ";
        const Size turned = p.Swaps() ? Size{3, 4} : Size{4, 3};
        ViewportTransform exact({4, 3}, turned, p);
        EXPECT_EQ(exact.Turned(), turned) << what;
        EXPECT_EQ(exact.Picture(), (Rect{0, 0, turned.cx, turned.cy})) << what;
        auto shownAt = [&](int x, int y) {
            Rect r = exact.ToOutput(Rect{x, y, x + 1, y + 1});
            EXPECT_EQ(r.Width() * r.Height(), 1) << what << x << "," << y;
            return Point{r.left, r.top};
        };
        EXPECT_EQ(shownAt(0, 0), c.first) << what;
        EXPECT_EQ(shownAt(1, 0), c.second) << what;
        EXPECT_EQ(exact.ToLogical(c.first.x, c.first.y), (Point{0, 0})) << what;
        EXPECT_EQ(exact.ToLogical(c.second.x, c.second.y), (Point{1, 0})) << what;

        // Scaled into a window of the turned shape (with bars), every
        // logical pixel is found again where it was drawn, and the picture
        // holds every one exactly once.
        const Size output = p.Swaps() ? Size{300, 500} : Size{500, 300};
        ViewportTransform t({48, 27}, output, p);
        std::vector<int> hits(48 * 27);
        for (int y = 0; y < 27; ++y)
            for (int x = 0; x < 48; ++x) {
                Rect r = t.ToOutput(Rect{x, y, x + 1, y + 1});
                ASSERT_FALSE(r.IsEmpty()) << what << x << "," << y;
                ASSERT_EQ(t.ToLogical(r.left, r.top), (Point{x, y})) << what << x << "," << y;
                ASSERT_EQ(t.ToLogical(r.right - 1, r.bottom - 1), (Point{x, y}))
                    << what << x << "," << y;
            }
        const Rect picture = t.Picture();
        EXPECT_EQ(p.Swaps() ? picture.Height() : picture.Width(), 500)
            << what << "fills the length";
        for (int y = picture.top; y < picture.bottom; ++y)
            for (int x = picture.left; x < picture.right; ++x)
                if (auto at = t.ToLogical(x, y))
                    ++hits[at->y * 48 + at->x];
        EXPECT_EQ(std::count(hits.begin(), hits.end(), 0), 0) << what;
        EXPECT_EQ(t.ToLogical(picture.left - 1, picture.top), std::nullopt) << what << "the bar";
    }
}
