#pragma once
// Other programs' windows and the input of the whole X display: what the
// control functions use when the program runs with the sdl backend on X. No
// Xlib types here: its Window would clash with ours.
#include "platform/geometry.h"

#include <cstdint>
#include <string_view>

namespace platform {
class Canvas;
}

namespace platform::x11 {

// Our own connection to the X display of the sdl backend; false headless or
// when no X display can be opened.
bool DesktopAvailable();

// A client window by class and title (an empty one matches any), mapped or
// not; 0 if none.
uint64_t FindClient(std::u16string_view className, std::u16string_view title);
// The topmost viewable client window containing the screen point; 0 if none.
uint64_t ClientAt(int x, int y);
// The client window that has the input (the window manager's active one, or
// the one holding the focus); 0 if none.
uint64_t ActiveClient();
bool IsShown(uint64_t window);
// The title or, without one, the class, for the transcript.
std::u16string Describe(uint64_t window);
// insertAfter as on the device: 0 top, 1 bottom, -1 topmost, -2 not topmost.
bool Place(uint64_t window, int64_t insertAfter, const Rect& rect, bool show);

// Through XTest: the pointer to (x, y) and the left button; keys by
// virtual-key code. False when the key has no X key.
void FakeMouse(uint32_t flags, int x, int y);
bool FakeKey(int virtualKey, bool up);
// A window message as the matching X event sent to the window.
bool SendMessage(uint64_t window, uint32_t message, uint32_t wParam, uint32_t lParam);

// An override-redirect window at rect showing the image, mapped above all.
// Redrawn on each Refresh; gone at Close or when the program ends.
uint64_t OpenTextWindow(const Rect& rect, const Canvas& image);
void RefreshTextWindow(uint64_t window, const Canvas& image);
void CloseTextWindow(uint64_t window);
// The screen's pixels under rect, as the user sees them now.
bool GrabScreen(const Rect& rect, Canvas& into);

} // namespace platform::x11
