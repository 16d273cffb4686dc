#pragma once
// Window handles as FindTopLevelWindow hands them out: our own windows as
// their address, another program's X window with the top bit set and its id
// moved up one bit (the lowest bit of a handle is a flag of its own).
#include "platform/window.h"

#include <cstdint>
#include <string>

namespace platform {

constexpr uint64_t ForeignWindowBit = 1ull << 63;

inline WindowHandle HandleOf(Window* own) {
    return {reinterpret_cast<uintptr_t>(own)};
}
inline WindowHandle ForeignHandle(uint64_t xWindow) {
    return {xWindow ? (xWindow << 1) | ForeignWindowBit : 0};
}
// The live window of ours the handle names; null otherwise.
Window* OwnWindow(WindowHandle handle);
// The X window the handle names; 0 when it is not another program's.
uint64_t ForeignWindow(WindowHandle handle);
// The window's title (or class) for the transcript.
std::string DescribeForTranscript(WindowHandle handle);

} // namespace platform
