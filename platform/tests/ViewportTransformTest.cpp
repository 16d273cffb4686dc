// The logical screen in a window of another size: where the picture goes and
// which logical pixel a tap on the real window hits.
#include "../src/sdl/viewport_transform.h"

#include <gtest/gtest.h>

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
