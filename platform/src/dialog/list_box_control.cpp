#include "list_box_control.h"
#include "platform/keys.h"
#include "platform/text.h"

#include <algorithm>

namespace platform {

using namespace dialog_look;

int ListBoxControl::Rows(const ControlSite& site) const {
    return std::max(1, (GetRect().Height() - 4) / site.LineHeight());
}

void ListBoxControl::Paint(ControlSite& site, Canvas& canvas) {
    const Rect r = GetRect();
    const int line = site.LineHeight();
    canvas.FillRect(r, FieldColor);
    canvas.DrawEdge(r, EdgeStyle::Sunken);
    const int rows = Rows(site);
    const bool bar = HasStyle(ControlStyle::VScroll);
    const int right = bar ? r.right - 2 - ScrollBarWidth : r.right - 2;
    for (int i = 0; i < rows && m_top + i < Count(); ++i) {
        Rect row{r.left + 2, r.top + 2 + i * line, right, r.top + 2 + (i + 1) * line};
        const bool selected = m_top + i == m_selection;
        if (selected)
            canvas.FillRect(row, Highlight);
        canvas.SetTextColor(selected ? FieldColor : (IsEnabled() ? TextColor : GrayText));
        Rect text = row.Inflate(-2, 0);
        canvas.DrawText(m_items[m_top + i].first, text, LineFlags);
    }
    if (bar)
        PaintScrollBar(canvas, {right, r.top + 2, r.right - 2, r.bottom - 2}, rows);
}

void ListBoxControl::PaintScrollBar(Canvas& canvas, const Rect& track, int rows) {
    const int count = Count();
    canvas.FillRect(track, Rgb(230, 230, 230));
    const Rect up{track.left, track.top, track.right, track.top + ScrollBarWidth};
    const Rect down{track.left, track.bottom - ScrollBarWidth, track.right, track.bottom};
    for (const Rect& b : {up, down}) {
        canvas.FillRect(b, Face);
        canvas.DrawEdge(b, EdgeStyle::Raised);
    }
    canvas.SelectPen(Pen::Null());
    canvas.SelectBrush(Brush::Solid(count > rows ? TextColor : GrayText));
    const int cx = (track.left + track.right) / 2;
    Point upArrow[] = {{cx, up.top + 4}, {cx - 4, up.bottom - 4}, {cx + 4, up.bottom - 4}};
    Point downArrow[] = {{cx, down.bottom - 4}, {cx - 4, down.top + 4}, {cx + 4, down.top + 4}};
    canvas.Polygon(upArrow);
    canvas.Polygon(downArrow);
    if (count > rows) {
        const int span = track.Height() - 2 * ScrollBarWidth;
        const int thumb = std::max(8, span * rows / count);
        const int pos = up.bottom + (span - thumb) * m_top / std::max(1, count - rows);
        const Rect t{track.left, pos, track.right, pos + thumb};
        canvas.FillRect(t, Face);
        canvas.DrawEdge(t, EdgeStyle::Raised);
    }
}

void ListBoxControl::Tap(ControlSite& site, int x, int y) {
    const Rect r = GetRect();
    const int rows = Rows(site);
    if (HasStyle(ControlStyle::VScroll) && x >= r.right - ScrollBarWidth) {
        // The arrows scroll a row, the track a page.
        const int middle = (r.top + r.bottom) / 2;
        const int step = (y < r.top + ScrollBarWidth || y >= r.bottom - ScrollBarWidth) ? 1 : rows;
        m_top = std::clamp(m_top + (y < middle ? -step : step), 0, std::max(0, Count() - rows));
        site.Invalidate();
        return;
    }
    const int index = m_top + (y - r.top - 2) / site.LineHeight();
    if (!Has(index))
        return;
    m_selection = index;
    site.Invalidate();
    if (HasStyle(ControlStyle::Notify))
        site.Notify(Id(), Notification::SelectionChanged);
}

void ListBoxControl::Key(ControlSite& site, int virtualKey) {
    if ((virtualKey != vk::Up && virtualKey != vk::Down) || m_items.empty())
        return;
    Select(site, std::clamp(m_selection + (virtualKey == vk::Up ? -1 : 1), 0, Count() - 1));
    if (HasStyle(ControlStyle::Notify))
        site.Notify(Id(), Notification::SelectionChanged);
}

int ListBoxControl::SortedPosition(std::u16string_view text) const {
    if (!HasStyle(ControlStyle::Sort))
        return Count();
    // Sorted as the device does: case-insensitive.
    auto lower = [](std::u16string_view s) {
        std::u16string out(s);
        for (auto& c : out)
            c = AsciiLower(c);
        return out;
    };
    const std::u16string key = lower(text);
    auto pos = std::find_if(m_items.begin(), m_items.end(),
                            [&](const auto& item) { return key < lower(item.first); });
    return static_cast<int>(pos - m_items.begin());
}

int ListBoxControl::Insert(int index, std::u16string_view text) {
    if (index < 0 || index > Count())
        index = Count();
    m_items.insert(m_items.begin() + index, {std::u16string(text), 0});
    if (m_selection >= index)
        ++m_selection;
    return index;
}

bool ListBoxControl::Delete(int index) {
    if (!Has(index))
        return false;
    m_items.erase(m_items.begin() + index);
    if (m_selection == index)
        m_selection = -1;
    else if (m_selection > index)
        --m_selection;
    m_top = std::min(m_top, std::max(0, Count() - 1));
    return true;
}

void ListBoxControl::Clear() {
    m_items.clear();
    m_selection = -1;
    m_top = 0;
}

std::u16string ListBoxControl::ItemText(int index) const {
    return Has(index) ? m_items[index].first : std::u16string();
}

void ListBoxControl::SetItemData(int index, intptr_t data) {
    if (Has(index))
        m_items[index].second = data;
}

intptr_t ListBoxControl::ItemData(int index) const {
    return Has(index) ? m_items[index].second : 0;
}

void ListBoxControl::Select(ControlSite& site, int index) {
    m_selection = Has(index) ? index : -1;
    if (m_selection >= 0) {
        // Keep the selection in view.
        const int rows = Rows(site);
        if (m_selection < m_top)
            m_top = m_selection;
        else if (m_selection >= m_top + rows)
            m_top = m_selection - rows + 1;
    }
    site.Invalidate();
}

} // namespace platform
