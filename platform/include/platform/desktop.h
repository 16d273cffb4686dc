#pragma once
// The top-level windows of every program on the screen: finding them by title
// or position, and placing them. Our own windows come first; on an X display
// other programs' windows are reached through the window manager's protocols.
#include "platform/geometry.h"
#include "platform/window.h"

#include <string_view>

namespace platform {

// A top-level window with exactly this title, shown or not; none if none.
WindowHandle FindWindowByTitle(std::u16string_view title);
// A top-level window of this class (and title, when given), shown or hidden.
WindowHandle FindAnyWindow(std::u16string_view className, std::u16string_view title = {});
// The topmost shown top-level window containing the screen point.
WindowHandle WindowFromPoint(int x, int y);
// The window that has the input: on an X display the active one of any
// program, else our topmost shown window; none if none.
WindowHandle GetForegroundWindow();
bool IsWindowShown(WindowHandle window);

// Insert-after handles of PlaceWindow; the values are the device's.
namespace InsertAfter {
constexpr int64_t Top = 0;
constexpr int64_t Bottom = 1;
constexpr int64_t TopMost = -1;
constexpr int64_t NoTopMost = -2;
} // namespace InsertAfter

enum class Visibility { Hide, Show };
// Moves and sizes the window in screen coordinates, puts it in the stacking
// order by insertAfter and shows or hides it. Written to the transcript.
bool PlaceWindow(WindowHandle window, int64_t insertAfter, const Rect& rect, Visibility visibility);

} // namespace platform
