#include "static_control.h"

namespace platform {

void StaticControl::Paint(ControlSite&, Canvas& canvas) {
    Rect text = GetRect();
    const uint32_t align = HasStyle(ControlStyle::Center)  ? TextFlag::Center
                           : HasStyle(ControlStyle::Right) ? TextFlag::Right
                                                           : TextFlag::Left;
    canvas.DrawText(Text(), text, TextFlag::WordBreak | TextFlag::NoPrefix | align);
}

} // namespace platform
