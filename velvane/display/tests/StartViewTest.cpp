#include "display/StartView.h"
#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/testing/colors.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace velvane;
using platform::Rgb;

namespace {

using namespace platform::testing::colors;

bool IsInk(platform::Color c) {
    return c != White;
}

// Dark pixels inside [left, right) x [top, bottom).
int InkIn(const platform::Canvas& canvas, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += IsInk(canvas.GetPixel(x, y)) ? 1 : 0;
    return n;
}

// Rows of [top, bottom) that hold ink between the frame's sides.
int InkRows(const platform::Canvas& canvas, int width, int top, int bottom) {
    int rows = 0;
    for (int y = top; y < bottom; ++y)
        rows += InkIn(canvas, 11, y, width - 11, y + 1) > 0 ? 1 : 0;
    return rows;
}

// Pictures for people to look at, when they ask for them.
void Snapshot(const platform::Canvas& canvas, const std::string& name) {
    if (const char* dir = std::getenv("VELVANE_SNAPSHOT_DIR")) {
        EXPECT_TRUE(canvas.SavePng(std::string(dir) + "/" + name));
    }
}

struct Layout {
    int width, height;
};

class StartViewLayout : public ::testing::TestWithParam<Layout> {};

// White page; a frame 10 pixels inside the border; two rows of
// (height - 20) / 8 under its top, each closed by a line; the title centred in
// the first row, the second row empty; the hint wrapped below them.
TEST_P(StartViewLayout, FrameRowsAndTexts) {
    const auto [w, h] = GetParam();
    Screen screen(nullptr, w, h);
    auto canvas = platform::Canvas::Create(w, h);
    canvas->FillRect({0, 0, w, h}, Rgb(0, 128, 0)); // the view must paint every pixel
    screen.Draw(*canvas, 0, 0);
    Snapshot(*canvas, "start-view-" + std::to_string(w) + "x" + std::to_string(h) + ".png");

    const int row = (h - 20) / 8;
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " row " + std::to_string(row));
    EXPECT_EQ(InkIn(*canvas, 0, 0, w, 10), 0);
    EXPECT_EQ(InkIn(*canvas, 0, h - 9, w, h), 0);
    EXPECT_EQ(InkIn(*canvas, 0, 0, 10, h), 0);
    EXPECT_EQ(InkIn(*canvas, w - 9, 0, w, h), 0);
    // The frame covers 10..w-11 and 10..h-11.
    for (int y : {10, h / 2, h - 11}) {
        EXPECT_EQ(canvas->GetPixel(10, y), Black) << y;
        EXPECT_EQ(canvas->GetPixel(w - 11, y), Black) << y;
    }
    EXPECT_EQ(canvas->GetPixel(w - 10, h / 2), White);
    for (int x : {10, w / 2, w - 11}) {
        EXPECT_EQ(canvas->GetPixel(x, 10), Black) << x;
        EXPECT_EQ(canvas->GetPixel(x, h - 11), Black) << x;
        EXPECT_EQ(canvas->GetPixel(x, 10 + row), Black) << x;
        EXPECT_EQ(canvas->GetPixel(x, 10 + 2 * row), Black) << x;
    }

    // Title: ink in the first row, balanced around the middle.
    int left = w, right = -1;
    for (int y = 11; y < 10 + row; ++y) {
        for (int x = 11; x < w - 11; ++x) {
            if (IsInk(canvas->GetPixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(right, left);
    EXPECT_NEAR(left - 11, (w - 12) - right, 3);
    // Nothing in the second row.
    EXPECT_EQ(InkIn(*canvas, 11, 11 + row, w - 11, 10 + 2 * row), 0);
    // The hint: two sentences, each at least one line, wrapped to fit the frame.
    EXPECT_GT(InkRows(*canvas, w, 11 + 2 * row, h - 11), 2 * 10);
}

INSTANTIATE_TEST_SUITE_P(Sizes, StartViewLayout,
                         ::testing::Values(Layout{480, 272}, Layout{240, 320}, Layout{800, 480}));

TEST(StartView, DrawsAtTheOrigin) {
    Screen screen(nullptr, 100, 100);
    auto canvas = platform::Canvas::Create(140, 130);
    screen.Draw(*canvas, 40, 30);
    EXPECT_EQ(canvas->GetPixel(50, 40), Black); // frame corner moved with the origin
    EXPECT_EQ(canvas->GetPixel(45, 35), White);
    EXPECT_EQ(canvas->GetPixel(20, 20), White); // untouched outside
}

} // namespace
