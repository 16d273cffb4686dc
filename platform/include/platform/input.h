#pragma once
// Input synthesis and messages to windows, for programs that steer others.
// On an X display (the sdl backend) they reach every program through XTest
// and sent X events; otherwise they reach our own windows. Every call is
// written to the transcript.
#include "platform/window.h"

#include <cstdint>

namespace platform {

// Mouse event flags; the values are the device's.
namespace MouseEventFlag {
constexpr uint32_t Move = 0x0001;
constexpr uint32_t LeftDown = 0x0002;
constexpr uint32_t LeftUp = 0x0004;
constexpr uint32_t Absolute = 0x8000; // x and y are screen pixels
} // namespace MouseEventFlag
void SynthesizeMouseEvent(uint32_t flags, int x, int y);

namespace KeyEventFlag {
constexpr uint32_t KeyUp = 0x0002;
constexpr uint32_t Silent = 0x0004; // without the key click
} // namespace KeyEventFlag
void SynthesizeKeyEvent(int virtualKey, uint32_t flags);

// The key that types c on a US layout: the virtual key in the low byte, 1 in
// the high byte when Shift is needed; -1 when no key types it.
int KeyForChar(char16_t c);

// Window messages; the values are the device's.
namespace WindowMessage {
constexpr uint32_t Close = 0x0010;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
} // namespace WindowMessage

// A point packed into a message's position argument: x low, y high half.
constexpr uint32_t PointArgument(int x, int y) {
    return (static_cast<uint32_t>(x) & 0xFFFF) | (static_cast<uint32_t>(y) & 0xFFFF) << 16;
}

// Delivers the message to a window of any program. Our own windows take
// button-up as a tap and key-down as a key; another program's X window gets
// the matching X event, or a client message "CE_WINDOW_MESSAGE" holding
// message, wParam and lParam for messages X has no event for. False (with
// LastError) when the window is not there.
bool SendWindowMessage(WindowHandle window, uint32_t message, uint32_t wParam, uint32_t lParam);

// Blocks the program for this long; the headless clock moves instead.
void Sleep(uint32_t milliseconds);

} // namespace platform
