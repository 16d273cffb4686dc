#pragma once
// Finding and poking the programs' windows on the X server, for the tests
// that run real programs under xvfb-run.
#include <X11/Xlib.h>
#include <chrono>
#include <string>

namespace e2e {

// A viewable top-level window with this WM_CLASS (and title, when given), or 0.
::Window FindXWindow(Display* d, const std::string& cls, const std::string& title = {});
// Waits for such a window; 0 when none came in time.
::Window WaitForXWindow(Display* d, const std::string& cls, const std::string& title,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The window manager's close request, as a user clicking the close box.
void AskToClose(Display* d, ::Window w);
// A key pressed and released while the pointer rests on the window.
void PressKeyIn(Display* d, ::Window w, const char* keysym);

} // namespace e2e
