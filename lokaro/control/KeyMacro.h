#pragma once
// Key macros of the script ("sendkey="): keys, window searches, placement,
// waits, taps, messages and program starts in one line of text.
#include "control/ScreenInput.h"

#include "platform/window.h"

#include <string_view>

namespace lokaro {

// Looks for a top-level window with this title, and again every 10 ms up to
// timeout / 10 more times. tries, when given, counts the searches.
platform::WindowHandle findWindowWithRetries(std::u16string_view title, int timeoutMs,
                                             int* tries = nullptr);

enum class MacroEnd {
    Done,          // the text ran out
    EndMark,       // "\|"
    WindowMissing, // a "\f" window did not appear
};

// Runs the macro from left to right with a target window (none at first):
//   c          any other character: its key (the key mapping's low byte, no
//              Shift); characters without a key are passed over
//   \|         end of the macro
//   \fT|title\ find the window (T ms of retries, optional) as the target; an
//              empty title leaves no target; not found ends the macro
//   \p[N]      target to the foreground, or placed after N at x, y with w, h
//   \sN        wait N ms
//   \cD[,X[,Y]] tap(D, X, Y, target)
//   \mM[,W[,L]] send message M to the target
//   \lprog[:args]| start a program (the navigator when empty)
//   \[a]N      virtual key N, with Alt for "a"
// Numbers take C notation. Keys go to the target as messages when there is
// one, else to the whole screen.
MacroEnd runKeyMacro(std::u16string_view text, const ScreenParameters& parameters,
                     std::u16string_view navigatorPath);

} // namespace lokaro
