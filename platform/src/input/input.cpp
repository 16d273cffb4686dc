#include "platform/input.h"
#include "../window_system.h"
#include "../x11/x11_desktop.h"
#include "handles.h"
#include "platform/error.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/keys.h"
#include "platform/transcript.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {

namespace {

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// Where the synthesized pointer is when no X server keeps it for us.
Point& Pointer() {
    static Point pointer;
    return pointer;
}

} // namespace

void SynthesizeMouseEvent(uint32_t flags, int x, int y) {
    TranscriptWrite("input mouse flags=" + Hex(flags) + " x=" + std::to_string(x) +
                    " y=" + std::to_string(y));
    if (x11::DesktopAvailable()) {
        x11::FakeMouse(flags, x, y);
        return;
    }
    Point& pointer = Pointer();
    if (flags & MouseEventFlag::Absolute)
        pointer = {x, y};
    else if (flags & MouseEventFlag::Move)
        pointer = {pointer.x + x, pointer.y + y};
    // A tap is the button's release, as our windows count taps.
    if (flags & MouseEventFlag::LeftUp)
        if (Window* w = WindowSystem::Get().WindowAt(pointer.x, pointer.y)) {
            Rect r = w->GetRect();
            w->Tap(pointer.x - r.left, pointer.y - r.top);
        }
}

void SynthesizeKeyEvent(int virtualKey, uint32_t flags) {
    TranscriptWrite("input key vk=" + std::to_string(virtualKey) + " flags=" + Hex(flags));
    if (x11::DesktopAvailable()) {
        x11::FakeKey(virtualKey, flags & KeyEventFlag::KeyUp);
        return;
    }
    if (!(flags & KeyEventFlag::KeyUp))
        if (Window* w = WindowSystem::Get().TopVisible())
            w->Key(virtualKey);
}

int KeyForChar(char16_t c) {
    constexpr int Shift = 0x100;
    if (c >= u'a' && c <= u'z')
        return vk::KeyA + (c - u'a');
    if (c >= u'A' && c <= u'Z')
        return Shift | (vk::KeyA + (c - u'A'));
    if (c >= u'0' && c <= u'9')
        return vk::Key0 + (c - u'0');
    // The rest of a US keyboard: the unshifted and the shifted character of
    // each key.
    struct KeyChars {
        int key;
        char16_t plain, shifted;
    };
    static constexpr KeyChars keys[] = {
        {vk::Key0 + 1, 0, u'!'}, {vk::Key0 + 2, 0, u'@'}, {vk::Key0 + 3, 0, u'#'},
        {vk::Key0 + 4, 0, u'$'}, {vk::Key0 + 5, 0, u'%'}, {vk::Key0 + 6, 0, u'^'},
        {vk::Key0 + 7, 0, u'&'}, {vk::Key0 + 8, 0, u'*'}, {vk::Key0 + 9, 0, u'('},
        {vk::Key0, 0, u')'},     {vk::Space, u' ', 0},    {vk::Return, u'\r', 0},
        {vk::Return, u'\n', 0},  {vk::Tab, u'\t', 0},     {vk::Back, u'\b', 0},
        {vk::Escape, 0x1B, 0},   {186, u';', u':'},       {187, u'=', u'+'},
        {188, u',', u'<'},       {189, u'-', u'_'},       {190, u'.', u'>'},
        {191, u'/', u'?'},       {192, u'`', u'~'},       {219, u'[', u'{'},
        {220, u'\\', u'|'},      {221, u']', u'}'},       {222, u'\'', u'"'},
    };
    for (const KeyChars& k : keys) {
        if (k.plain && k.plain == c)
            return k.key;
        if (k.shifted && k.shifted == c)
            return Shift | k.key;
    }
    return -1;
}

bool SendWindowMessage(WindowHandle window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    bool ok = false;
    const std::string target = DescribeForTranscript(window); // before a close takes it away
    if (Window* own = OwnWindow(window)) {
        ok = true;
        const int x = static_cast<int16_t>(lParam & 0xFFFF);
        const int y = static_cast<int16_t>(lParam >> 16);
        if (message == WindowMessage::LButtonUp)
            own->Tap(x, y);
        else if (message == WindowMessage::KeyDown)
            own->Key(static_cast<int>(wParam));
        else if (message == WindowMessage::Close)
            own->Close();
    } else if (uint64_t x = ForeignWindow(window)) {
        ok = x11::SendMessage(x, message, wParam, lParam);
    }
    TranscriptWrite("message window=\"" + target + "\" message=" + Hex(message) + " wparam=" +
                    Hex(wParam) + " lparam=" + Hex(lParam) + (ok ? "" : " result=failed"));
    if (!ok)
        SetLastError(ErrorCode::InvalidHandle, "no such window");
    return ok;
}

void Sleep(uint32_t milliseconds) {
    if (Host().backend == BackendKind::Headless)
        headless::AdvanceClock(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
