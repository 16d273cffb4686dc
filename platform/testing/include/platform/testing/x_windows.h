#pragma once
// Finding and poking windows on the X server from a test, as a user or
// another program would. Xlib types on purpose: include it only where
// Xlib's Window may be spelled ::Window.
#include "platform/geometry.h"
#include <X11/Xlib.h>
#include <chrono>
#include <memory>
#include <string>

namespace platform::testing {

// A connection of the test's own; closed with the guard.
struct XDisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using XConnection = std::unique_ptr<Display, XDisplayCloser>;
// Null when there is no server at DISPLAY.
XConnection OpenXConnection();

// Errors while it lives are counted, not fatal: windows of another process
// may go at any moment between two requests about them.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* d);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    // Errors so far (after waiting for the server's answers).
    int Errors();

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
    int m_errorsBefore;
};

// The window's _NET_WM_NAME, else its WM_NAME; empty when it has none or is gone.
std::string XWindowTitle(Display* d, ::Window w);
// A viewable top-level window with this WM_CLASS (and title, when given), or 0.
::Window FindXWindow(Display* d, const std::string& cls, const std::string& title = {});
// Waits for such a window; 0 when none came in time.
::Window WaitForXWindow(Display* d, const std::string& cls, const std::string& title,
                        std::chrono::milliseconds timeout = std::chrono::seconds(30));
// The window manager's close request, as a user clicking the close box.
void AskToClose(Display* d, ::Window w);
// A key pressed and released while the pointer rests on the window; false
// when the window is gone.
bool PressKeyIn(Display* d, ::Window w, const char* keysym);
// A screen pixel as the server has it; InvalidColor when it cannot be read.
Color XScreenPixel(Display* d, int x, int y);

} // namespace platform::testing
