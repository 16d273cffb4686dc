#include "platform/desktop.h"
#include "../window_system.h"
#include "../x11/x11_desktop.h"
#include "handles.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/transcript.h"

namespace platform {

Window* OwnWindow(WindowHandle handle) {
    if (!handle || (handle.value & ForeignWindowBit))
        return nullptr;
    for (Window* w : WindowSystem::Get().Live())
        if (HandleOf(w).value == handle.value)
            return w;
    return nullptr;
}

uint64_t ForeignWindow(WindowHandle handle) {
    return (handle.value & ForeignWindowBit) ? (handle.value & ~ForeignWindowBit & ~1ull) >> 1 : 0;
}

std::string DescribeForTranscript(WindowHandle handle) {
    if (Window* own = OwnWindow(handle))
        return QuoteForTranscript(own->Title().empty() ? own->ClassName() : own->Title());
    if (uint64_t x = ForeignWindow(handle))
        return QuoteForTranscript(x11::Describe(x));
    return {};
}

WindowHandle FindWindowByTitle(std::u16string_view title) {
    if (title.empty())
        return {};
    for (Window* w : WindowSystem::Get().Live())
        if (w->Title() == title)
            return HandleOf(w);
    return ForeignHandle(x11::FindClient({}, title));
}

WindowHandle FindAnyWindow(std::u16string_view className, std::u16string_view title) {
    if (className.empty())
        return {};
    for (Window* w : WindowSystem::Get().Live())
        if (w->ClassName() == className && (title.empty() || w->Title() == title))
            return HandleOf(w);
    return ForeignHandle(x11::FindClient(className, title));
}

WindowHandle WindowFromPoint(int x, int y) {
    if (Window* own = WindowSystem::Get().WindowAt(x, y))
        return HandleOf(own);
    return ForeignHandle(x11::ClientAt(x, y));
}

WindowHandle GetForegroundWindow() {
    if (uint64_t x = x11::ActiveClient())
        return ForeignHandle(x);
    if (Window* own = WindowSystem::Get().TopVisible())
        return HandleOf(own);
    return {};
}

bool IsWindowShown(WindowHandle window) {
    if (Window* own = OwnWindow(window))
        return own->IsVisible();
    uint64_t x = ForeignWindow(window);
    return x && x11::IsShown(x);
}

bool PlaceWindow(WindowHandle window, int64_t insertAfter, const Rect& rect,
                 Visibility visibility) {
    const bool show = visibility == Visibility::Show;
    bool ok = false;
    if (Window* own = OwnWindow(window)) {
        own->Move(rect);
        own->Show(show);
        if (show && insertAfter != InsertAfter::Bottom)
            own->BringToFront();
        ok = true;
    } else if (uint64_t x = ForeignWindow(window)) {
        ok = x11::Place(x, insertAfter, rect, show);
    }
    TranscriptWrite("place window=\"" + DescribeForTranscript(window) +
                    "\" x=" + std::to_string(rect.left) + " y=" + std::to_string(rect.top) +
                    " w=" + std::to_string(rect.Width()) + " h=" + std::to_string(rect.Height()) +
                    " after=" + std::to_string(insertAfter) + (show ? " shown" : " hidden") +
                    (ok ? "" : " result=failed"));
    if (!ok)
        SetLastError(ErrorCode::InvalidHandle, "no such window");
    return ok;
}

} // namespace platform
