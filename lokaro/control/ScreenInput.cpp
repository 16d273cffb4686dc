#include "control/ScreenInput.h"

#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/osd.h"

#include <cstdlib>

namespace lokaro {

namespace {

platform::Color ColorOf(int r, int g, int b) {
    return platform::Rgb(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

void Hold(int milliseconds) {
    if (milliseconds > 0)
        platform::Sleep(static_cast<uint32_t>(milliseconds));
}

} // namespace

bool showOsd(std::u16string_view text, const ScreenParameters& p) {
    platform::OnScreenText osd;
    osd.text = text;
    osd.x = p.x;
    osd.y = p.y;
    osd.fontHeight = p.h;
    osd.textColor = ColorOf(p.rb, p.gb, p.bb);
    osd.background = ColorOf(p.r, p.g, p.b);
    osd.transparent = p.t != 0;
    osd.durationMs = p.d;
    return platform::ShowOnScreenText(osd);
}

bool tap(int delay, int x, int y, platform::WindowHandle window, const ScreenParameters& p) {
    using namespace platform;
    if (delay == -1)
        return false;
    Sleep(static_cast<uint32_t>(std::abs(delay)));
    const Rect screen = WorkArea();
    if (x == -1)
        x = screen.Width() - 20;
    if (y == -1)
        y = screen.Height() - 5;
    if (delay >= 0) {
        SynthesizeMouseEvent(MouseEventFlag::Absolute, x, y);
        SynthesizeMouseEvent(MouseEventFlag::LeftDown, x, y);
        Hold(p.d);
        SynthesizeMouseEvent(MouseEventFlag::Absolute, x, y);
        SynthesizeMouseEvent(MouseEventFlag::LeftUp, x, y);
        return true;
    }
    if (!window)
        window = WindowFromPoint(x, y);
    constexpr uint32_t LeftButtonHeld = 1;
    if (!SendWindowMessage(window, WindowMessage::LButtonDown, LeftButtonHeld, PointArgument(x, y)))
        return false;
    Hold(p.d);
    return SendWindowMessage(window, WindowMessage::LButtonUp, 0, PointArgument(x, y));
}

void pressKeys(int modifier1, int modifier2, int key) {
    using namespace platform;
    if (modifier1)
        SynthesizeKeyEvent(modifier1, KeyEventFlag::Silent);
    if (modifier2)
        SynthesizeKeyEvent(modifier2, 0);
    if (key) {
        SynthesizeKeyEvent(key, KeyEventFlag::Silent);
        Sleep(0);
        SynthesizeKeyEvent(key, KeyEventFlag::Silent | KeyEventFlag::KeyUp);
    }
    if (modifier2)
        SynthesizeKeyEvent(modifier2, KeyEventFlag::KeyUp);
    if (modifier1)
        SynthesizeKeyEvent(modifier1, KeyEventFlag::KeyUp);
}

} // namespace lokaro
