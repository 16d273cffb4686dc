#pragma once
#include "dialog_control.h"

#include <utility>
#include <vector>

namespace platform {

// Rows of text with data, one selected (or none), scrolled by its bar or to
// keep the selection in view. A tap on a row selects it, Up and Down move the
// selection; with the Notify style both report SelectionChanged.
class ListBoxControl : public DialogControl {
public:
    using DialogControl::DialogControl;
    void Paint(ControlSite& site, Canvas& canvas) override;
    void Tap(ControlSite& site, int x, int y) override;
    bool TakesFocus() const override { return true; }
    void Key(ControlSite& site, int virtualKey) override;

    // Where the text goes among the rows, in the order the Sort style keeps.
    int SortedPosition(std::u16string_view text) const;
    // At index (the end when out of range); returns it.
    int Insert(int index, std::u16string_view text);
    bool Delete(int index);
    void Clear();
    int Count() const { return static_cast<int>(m_items.size()); }
    std::u16string ItemText(int index) const;
    void SetItemData(int index, intptr_t data);
    intptr_t ItemData(int index) const;
    int Selection() const { return m_selection; }
    // -1 or out of range selects nothing.
    void Select(ControlSite& site, int index);
    int TopIndex() const { return m_top; }
    void SetHorizontalExtent(int pixels) { m_horizontalExtent = pixels; }

private:
    bool Has(int index) const { return index >= 0 && index < Count(); }
    int Rows(const ControlSite& site) const;
    void PaintScrollBar(Canvas& canvas, const Rect& track, int rows);

    std::vector<std::pair<std::u16string, intptr_t>> m_items;
    int m_selection = -1;
    int m_top = 0;
    int m_horizontalExtent = 0;
};

} // namespace platform
