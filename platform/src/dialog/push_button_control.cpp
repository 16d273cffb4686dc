#include "push_button_control.h"

namespace platform {

using namespace dialog_look;

void PaintButtonFace(Canvas& canvas, const DialogControl& control, bool pressed) {
    const Rect r = control.GetRect();
    canvas.FillRect(r, Face);
    Rect edge = r;
    if (control.HasStyle(ControlStyle::Default)) {
        canvas.SelectPen(Pen::Solid(1, TextColor));
        canvas.SelectBrush(Brush::Null());
        canvas.Rectangle(r);
        edge = r.Inflate(-1, -1);
    }
    canvas.DrawEdge(edge, pressed ? EdgeStyle::Sunken : EdgeStyle::Raised);
    Rect text = pressed ? r.Offset(1, 1) : r;
    canvas.DrawText(control.Text(), text, LineFlags | TextFlag::Center);
}

void PushButtonControl::Paint(ControlSite& site, Canvas& canvas) {
    if (HasStyle(ControlStyle::OwnerDraw)) {
        DrawItemState state{false, !IsEnabled(), site.HasFocus(*this)};
        site.DrawItem(Id(), canvas, GetRect(), state);
        return;
    }
    PaintButtonFace(canvas, *this, false);
}

bool PushButtonControl::Click(ControlSite& site) {
    site.Invalidate();
    site.Notify(Id(), Notification::Clicked);
    return true;
}

} // namespace platform
