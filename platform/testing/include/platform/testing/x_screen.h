#pragma once
// The X server's screen as the user sees it, for tests under xvfb-run. No
// Xlib types here: its Window clashes with ours.
#include "platform/canvas.h"
#include <memory>

namespace platform::testing {

// Null when there is no X display.
std::unique_ptr<Canvas> GrabXScreen();

} // namespace platform::testing
