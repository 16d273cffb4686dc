#pragma once
// Cross-process windows through Xlib, used by the SDL backend when its video
// driver is X11. No Xlib types here: its Window would clash with ours.
#include <cstdint>
#include <string_view>

struct SDL_Window;

namespace platform::x11 {

bool Available();
// Windows go while requests about them are under way (a dialog closing while
// SDL still talks to it, another program's window): such an error is no
// reason to end the program; every other one goes where it went before.
// Before SDL starts, so that SDL keeps it and puts it back when it quits.
void TolerateVanishedWindows();
// Closes our search connection (the backend is going).
void Disconnect();
// What runs when a connection to the display breaks (the server has gone),
// instead of Xlib ending the process; it must not return.
void SetDisplayLossHandler(void (*onLoss)());
// From now on a broken connection to the window's display is noted and
// handled as above.
void WatchForDisplayLoss(SDL_Window* window);
// Whether a connection to the display broke; the reason for the user. Xlib
// only notices when it reads, so this also asks the watched connection
// whether the server hung up.
bool DisplayLost();
const char* DisplayLossReason();
// Sets WM_CLASS, which other programs find the window by.
void SetWindowClass(SDL_Window* window, std::u16string_view className);
// Marks a dialog as belonging to its owner (WM_TRANSIENT_FOR), before it is
// shown, so that a window manager keeps it above the owner.
void SetTransientFor(SDL_Window* window, SDL_Window* owner);
// Gives the keyboard focus to the window when it is viewable. Without a
// window manager nobody else does once the focused window goes.
void GiveFocus(SDL_Window* window);
// A viewable top-level window with this class (and title, when given); 0 if none.
uint64_t FindWindow(std::u16string_view className, std::u16string_view title);
// Raises it and asks the window manager (if any) to activate it.
bool Activate(uint64_t window);

} // namespace platform::x11
