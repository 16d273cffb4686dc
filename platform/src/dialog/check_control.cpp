#include "check_control.h"
#include "push_button_control.h"

#include <algorithm>

namespace platform {

using namespace dialog_look;

void CheckControl::Paint(ControlSite& site, Canvas& canvas) {
    if (!IsRadio() && HasStyle(ControlStyle::PushLike)) {
        PaintButtonFace(canvas, *this, m_checked);
        return;
    }
    const Rect r = GetRect();
    const int box = std::min(r.Height(), site.LineHeight()) - 2;
    const int top = r.top + (r.Height() - box) / 2;
    canvas.SelectPen(Pen::Solid(1, TextColor));
    canvas.SelectBrush(Brush::Solid(FieldColor));
    if (IsRadio()) {
        canvas.Ellipse(r.left, top, r.left + box, top + box);
        if (m_checked) {
            canvas.SelectBrush(Brush::Solid(TextColor));
            const int m = box / 3;
            canvas.Ellipse(r.left + m, top + m, r.left + box - m, top + box - m);
        }
    } else {
        canvas.Rectangle(r.left, top, r.left + box, top + box);
        if (m_checked) {
            canvas.MoveTo(r.left + 2, top + box / 2);
            canvas.LineTo(r.left + box / 2 - 1, top + box - 3);
            canvas.LineTo(r.left + box - 2, top + 2);
        }
    }
    Rect text{r.left + box + 4, r.top, r.right, r.bottom};
    canvas.DrawText(Text(), text, LineFlags);
}

bool CheckControl::Click(ControlSite& site) {
    SetChecked(site, IsRadio() || !m_checked);
    site.Invalidate();
    site.Notify(Id(), Notification::Clicked);
    return true;
}

void CheckControl::SetChecked(ControlSite& site, bool checked) {
    if (checked && IsRadio())
        site.UncheckGroup(*this);
    m_checked = checked;
}

} // namespace platform
