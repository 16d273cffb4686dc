#include "group_box_control.h"

namespace platform {

using namespace dialog_look;

void GroupBoxControl::Paint(ControlSite& site, Canvas& canvas) {
    const Rect r = GetRect();
    const int line = site.LineHeight();
    canvas.SelectPen(Pen::Solid(1, GrayText));
    canvas.SelectBrush(Brush::Null());
    canvas.Rectangle(r.left, r.top + line / 2, r.right, r.bottom);
    const Size extent = canvas.GetTextExtent(Text());
    Rect label{r.left + 6, r.top, r.left + 10 + extent.cx, r.top + line};
    canvas.FillRect(label, Face);
    label.left += 2;
    canvas.DrawText(Text(), label, LineFlags);
}

} // namespace platform
