#include "edit_control.h"
#include "platform/keys.h"

#include <algorithm>

namespace platform {

using namespace dialog_look;

void EditControl::Paint(ControlSite& site, Canvas& canvas) {
    const Rect r = GetRect();
    canvas.FillRect(r, IsEnabled() ? FieldColor : Face);
    canvas.DrawEdge(r, EdgeStyle::Sunken);
    Rect text = r.Inflate(-3, -1);
    canvas.DrawText(Text(), text, LineFlags);
    if (site.HasFocus(*this) && IsEnabled()) {
        const int x = std::min(text.left + canvas.GetTextExtent(Text()).cx + 1, text.right - 1);
        canvas.SelectPen(Pen::Solid(1, TextColor));
        canvas.MoveTo(x, r.top + 3);
        canvas.LineTo(x, r.bottom - 3);
    }
}

bool EditControl::Click(ControlSite& site) {
    site.SetFocus(*this);
    site.Notify(Id(), Notification::EditFocus);
    return true;
}

void EditControl::Key(ControlSite& site, int virtualKey) {
    if (virtualKey == vk::Back)
        Char(site, 8);
}

void EditControl::Char(ControlSite& site, char16_t c) {
    std::u16string text = Text();
    if (c == 8) {
        if (text.empty())
            return;
        text.pop_back();
    } else if (c < 32 || text.size() >= MaxLength) {
        return;
    } else {
        text += c;
    }
    SetText(text);
    site.Invalidate();
    site.Notify(Id(), Notification::EditChanged);
}

} // namespace platform
