#pragma once
// Cross-process windows through Xlib, used by the SDL backend when its video
// driver is X11. No Xlib types here: its Window would clash with ours.
#include <cstdint>
#include <string_view>

struct SDL_Window;

namespace platform::x11 {

bool Available();
// Closes our search connection (the backend is going).
void Disconnect();
// From now on a broken connection to the window's display (the server has
// gone) is noted instead of ending the process, and the calls on it return.
void WatchForDisplayLoss(SDL_Window* window);
// Whether a connection to the display broke; the reason for the user.
bool DisplayLost();
const char* DisplayLossReason();
// Sets WM_CLASS, which other programs find the window by.
void SetWindowClass(SDL_Window* window, std::u16string_view className);
// A viewable top-level window with this class (and title, when given); 0 if none.
uint64_t FindWindow(std::u16string_view className, std::u16string_view title);
// Raises it and asks the window manager (if any) to activate it.
bool Activate(uint64_t window);

} // namespace platform::x11
