#include "dialog_control.h"

#include <algorithm>

namespace platform {

using namespace dialog_look;

void Dialog::Paint(Canvas& canvas) {
    CanvasStateSaver saver(canvas);
    const int w = canvas.Width(), h = canvas.Height();
    canvas.FillRect({0, 0, w, h}, Face);
    canvas.SelectPen(Pen::Solid(1, Rgb(64, 64, 64)));
    canvas.SelectBrush(Brush::Null());
    canvas.Rectangle(0, 0, w, h);
    canvas.SelectFont(m_font);
    canvas.SetBackgroundMode(BackgroundMode::Transparent);
    if (m_captionHeight > 0) {
        Rect bar{1, 1, w - 1, 1 + m_captionHeight};
        canvas.FillRect(bar, Caption);
        canvas.SelectFont(
            Font::Create(-PointsToPixels(m_template.fontPoints), 700, m_template.fontFace));
        canvas.SetTextColor(CaptionText);
        Rect text = bar.Inflate(-4, 0);
        canvas.DrawText(m_template.caption, text,
                        TextFlag::Left | TextFlag::VCenter | TextFlag::SingleLine |
                            TextFlag::NoPrefix);
        canvas.SelectFont(m_font);
    }
    for (auto& c : m_controls)
        if (c.visible)
            PaintControl(canvas, c);
}

void Dialog::PaintControl(Canvas& canvas, Control& c) {
    const Rect r = c.rect;
    const uint32_t line = TextFlag::SingleLine | TextFlag::VCenter | TextFlag::NoPrefix;
    canvas.SetTextColor(c.enabled ? Text : GrayText);
    switch (c.t.kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
        if (c.t.kind == ControlKind::PushButton && (c.t.style & ControlStyle::OwnerDraw)) {
            DrawItemState state{false, !c.enabled, m_focus == c.t.id};
            CanvasStateSaver inner(canvas);
            m_handler.OnDrawItem(*this, c.t.id, canvas, r, state);
            return;
        }
        if (c.t.kind == ControlKind::PushButton || (c.t.style & ControlStyle::PushLike)) {
            bool pressed = c.t.kind == ControlKind::CheckBox && c.checked;
            canvas.FillRect(r, Face);
            Rect edge = r;
            if (c.t.style & ControlStyle::Default) {
                canvas.SelectPen(Pen::Solid(1, Text));
                canvas.SelectBrush(Brush::Null());
                canvas.Rectangle(r);
                edge = r.Inflate(-1, -1);
            }
            canvas.DrawEdge(edge, pressed ? EdgeStyle::Sunken : EdgeStyle::Raised);
            Rect text = pressed ? r.Offset(1, 1) : r;
            canvas.DrawText(c.t.text, text, line | TextFlag::Center);
            return;
        }
        [[fallthrough]];
    case ControlKind::RadioButton: {
        int box = std::min(r.Height(), m_baseY) - 2;
        int top = r.top + (r.Height() - box) / 2;
        canvas.SelectPen(Pen::Solid(1, Text));
        canvas.SelectBrush(Brush::Solid(FieldColor));
        if (c.t.kind == ControlKind::RadioButton) {
            canvas.Ellipse(r.left, top, r.left + box, top + box);
            if (c.checked) {
                canvas.SelectBrush(Brush::Solid(Text));
                int m = box / 3;
                canvas.Ellipse(r.left + m, top + m, r.left + box - m, top + box - m);
            }
        } else {
            canvas.Rectangle(r.left, top, r.left + box, top + box);
            if (c.checked) {
                canvas.MoveTo(r.left + 2, top + box / 2);
                canvas.LineTo(r.left + box / 2 - 1, top + box - 3);
                canvas.LineTo(r.left + box - 2, top + 2);
            }
        }
        Rect text{r.left + box + 4, r.top, r.right, r.bottom};
        canvas.DrawText(c.t.text, text, line);
        return;
    }
    case ControlKind::Edit: {
        canvas.FillRect(r, c.enabled ? FieldColor : Face);
        canvas.DrawEdge(r, EdgeStyle::Sunken);
        Rect text = r.Inflate(-3, -1);
        canvas.DrawText(c.t.text, text, line);
        if (m_focus == c.t.id && c.enabled) {
            int x = std::min(text.left + canvas.GetTextExtent(c.t.text).cx + 1, text.right - 1);
            canvas.SelectPen(Pen::Solid(1, Text));
            canvas.MoveTo(x, r.top + 3);
            canvas.LineTo(x, r.bottom - 3);
        }
        return;
    }
    case ControlKind::Static: {
        Rect text = r;
        uint32_t align = (c.t.style & ControlStyle::Center)  ? TextFlag::Center
                         : (c.t.style & ControlStyle::Right) ? TextFlag::Right
                                                             : TextFlag::Left;
        canvas.DrawText(c.t.text, text, TextFlag::WordBreak | TextFlag::NoPrefix | align);
        return;
    }
    case ControlKind::GroupBox: {
        int mid = r.top + m_baseY / 2;
        canvas.SelectPen(Pen::Solid(1, GrayText));
        canvas.SelectBrush(Brush::Null());
        canvas.Rectangle(r.left, mid, r.right, r.bottom);
        Size extent = canvas.GetTextExtent(c.t.text);
        Rect label{r.left + 6, r.top, r.left + 10 + extent.cx, r.top + m_baseY};
        canvas.FillRect(label, Face);
        label.left += 2;
        canvas.DrawText(c.t.text, label, line);
        return;
    }
    case ControlKind::ListBox: {
        canvas.FillRect(r, FieldColor);
        canvas.DrawEdge(r, EdgeStyle::Sunken);
        const int count = static_cast<int>(c.items.size());
        const int rows = std::max(1, (r.Height() - 4) / m_baseY);
        const bool bar = (c.t.style & ControlStyle::VScroll) != 0;
        const int right = bar ? r.right - 2 - ScrollBarWidth : r.right - 2;
        for (int i = 0; i < rows && c.top + i < count; ++i) {
            Rect row{r.left + 2, r.top + 2 + i * m_baseY, right, r.top + 2 + (i + 1) * m_baseY};
            bool selected = c.top + i == c.selection;
            if (selected)
                canvas.FillRect(row, Highlight);
            canvas.SetTextColor(selected ? FieldColor : (c.enabled ? Text : GrayText));
            Rect text = row.Inflate(-2, 0);
            canvas.DrawText(c.items[c.top + i].first, text, line);
        }
        if (bar) {
            Rect track{right, r.top + 2, r.right - 2, r.bottom - 2};
            canvas.FillRect(track, Rgb(230, 230, 230));
            Rect up{track.left, track.top, track.right, track.top + ScrollBarWidth};
            Rect down{track.left, track.bottom - ScrollBarWidth, track.right, track.bottom};
            for (const Rect& b : {up, down}) {
                canvas.FillRect(b, Face);
                canvas.DrawEdge(b, EdgeStyle::Raised);
            }
            canvas.SelectPen(Pen::Null());
            canvas.SelectBrush(Brush::Solid(count > rows ? Text : GrayText));
            int cx = (track.left + track.right) / 2;
            Point upArrow[] = {{cx, up.top + 4}, {cx - 4, up.bottom - 4}, {cx + 4, up.bottom - 4}};
            Point downArrow[] = {
                {cx, down.bottom - 4}, {cx - 4, down.top + 4}, {cx + 4, down.top + 4}};
            canvas.Polygon(upArrow);
            canvas.Polygon(downArrow);
            if (count > rows) {
                int span = track.Height() - 2 * ScrollBarWidth;
                int thumb = std::max(8, span * rows / count);
                int pos = up.bottom + (span - thumb) * c.top / std::max(1, count - rows);
                Rect t{track.left, pos, track.right, pos + thumb};
                canvas.FillRect(t, Face);
                canvas.DrawEdge(t, EdgeStyle::Raised);
            }
        }
        return;
    }
    }
}

} // namespace platform
