#pragma once
// Taps, key strokes and short texts on the screen: how lokaro works the
// navigation application, which has no programming interface of its own.
#include "platform/window.h"

#include <string_view>

namespace lokaro {

// The script's values for on-screen texts, taps and window placement, with
// the script's defaults.
struct ScreenParameters {
    int x = -1, y = -1;               // the point; -1 is the corner of tap()
    int w = -1;                       // window width for the key macro's placement
    int h = 0;                        // window height; font height of the text (negative: bold)
    int r = 0, g = 0, b = 0;          // text background
    int rb = 255, gb = 255, bb = 255; // text colour
    int t = 0;                        // non-zero: transparent background
    int d = 0;                        // text time and tap hold time in ms
};

// The text at (x, y) over whatever window is there, for |d| ms; a positive d
// takes it away again.
bool showOsd(std::u16string_view text, const ScreenParameters& parameters);

// A delay of -1 taps nothing. Otherwise waits |delay| ms, then taps (x, y) -
// x -1 is 20 pixels from the right edge, y -1 is 5 from the bottom - holding
// for d ms: with delay 0 or more as input of the whole screen, with a
// negative one as button messages to window or, without one, to the window
// at the point. False when no tap was made.
bool tap(int delay, int x, int y, platform::WindowHandle window,
         const ScreenParameters& parameters);

// Presses and releases key with the modifiers held around it; zero codes
// take no part. Alt+Tab is pressKeys(18, 9, 0).
void pressKeys(int modifier1, int modifier2, int key);

} // namespace lokaro
