#pragma once
// Short texts over whatever window is on the screen at a point: a value that
// was just changed, shown to the user without a window of the program's own.
#include "platform/geometry.h"

#include <string>

namespace platform {

struct OnScreenText {
    std::u16string text;
    int x = 0, y = 0;   // top-left corner of the text's rectangle, screen pixels
    int fontHeight = 0; // 0 the default font; negative: bold of this height
    Color textColor = Rgb(255, 255, 255);
    Color background = Rgb(0, 0, 0);
    bool transparent = false; // the window below shows around the letters
    // Shown for |durationMs| and then taken away when positive; zero or
    // negative leaves the text until the window below paints over it, or
    // until this program ends.
    int durationMs = 0;
};

// Shows the text and returns after |durationMs| (at least 10 ms). Written to
// the transcript. False (LastError) when there is nothing to draw on.
bool ShowOnScreenText(const OnScreenText& osd);

} // namespace platform
