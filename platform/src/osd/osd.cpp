#include "platform/osd.h"
#include "../window_system.h"
#include "../x11/x11_desktop.h"
#include "platform/canvas.h"
#include "platform/error.h"
#include "platform/input.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

Font FontOf(int height) {
    if (height == 0)
        return Font{};
    return Font::Create(std::abs(height), height < 0 ? 700 : 400);
}

void DrawOsd(Canvas& canvas, const OnScreenText& osd, Rect rect) {
    ScopedFont font(canvas, FontOf(osd.fontHeight));
    const Color oldText = canvas.SetTextColor(osd.textColor);
    const Color oldBack = canvas.SetBackgroundColor(osd.background);
    const BackgroundMode oldMode = canvas.SetBackgroundMode(
        osd.transparent ? BackgroundMode::Transparent : BackgroundMode::Opaque);
    if (!osd.transparent)
        canvas.FillRect(rect, osd.background);
    canvas.DrawText(osd.text, rect, TextFlag::Center | TextFlag::SingleLine);
    canvas.SetBackgroundMode(oldMode);
    canvas.SetBackgroundColor(oldBack);
    canvas.SetTextColor(oldText);
}

// The screen rectangle the text needs at its point.
Rect TextRect(const OnScreenText& osd) {
    auto probe = Canvas::Create(1, 1);
    Size size{1, 1};
    if (probe) {
        ScopedFont font(*probe, FontOf(osd.fontHeight));
        size = probe->GetTextExtent(osd.text);
    }
    return {osd.x, osd.y, osd.x + std::max(1, size.cx), osd.y + std::max(1, size.cy)};
}

bool ShowOnX(const OnScreenText& osd, const Rect& rect, int repeats) {
    auto image = Canvas::Create(rect.Width(), rect.Height());
    if (!image)
        return false;
    // Transparency: the letters over what the screen shows there now.
    if (osd.transparent)
        x11::GrabScreen(rect, *image);
    DrawOsd(*image, osd, {0, 0, rect.Width(), rect.Height()});
    const uint64_t window = x11::OpenTextWindow(rect, *image);
    if (!window) {
        SetLastError(ErrorCode::NotEnoughMemory, "no window for the on-screen text");
        return false;
    }
    for (int i = 0; i < repeats; ++i) {
        Sleep(10);
        x11::RefreshTextWindow(window, *image);
    }
    if (osd.durationMs > 0)
        x11::CloseTextWindow(window);
    return true;
}

// Without an X display the text goes onto our own window at the point, as
// the device draws into the window it finds there.
bool ShowOnOwnWindow(const OnScreenText& osd, const Rect& rect, int repeats) {
    Window* window = WindowSystem::Get().WindowAt(osd.x, osd.y);
    if (!window) {
        SetLastError(ErrorCode::InvalidHandle, "no window under the on-screen text");
        return false;
    }
    window->Update(); // a pending paint must not wipe the text at once
    const Rect frame = window->GetRect();
    DrawOsd(window->Surface(), osd, rect.Offset(-frame.left, -frame.top));
    Sleep(static_cast<uint32_t>(repeats) * 10);
    if (osd.durationMs > 0)
        window->Invalidate();
    return true;
}

} // namespace

bool ShowOnScreenText(const OnScreenText& osd) {
    const Rect rect = TextRect(osd);
    TranscriptWrite("osd x=" + std::to_string(rect.left) + " y=" + std::to_string(rect.top) +
                    " w=" + std::to_string(rect.Width()) + " h=" + std::to_string(rect.Height()) +
                    " text=\"" + QuoteForTranscript(osd.text) +
                    "\" duration=" + std::to_string(osd.durationMs));
    const int repeats = std::abs(osd.durationMs) / 10 + 1;
    if (x11::DesktopAvailable())
        return ShowOnX(osd, rect, repeats);
    return ShowOnOwnWindow(osd, rect, repeats);
}

} // namespace platform
