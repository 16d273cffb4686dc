#pragma once
// The holder of one view section: the view's entry and its alternative skins,
// of which at most one is current. The view exists only while it is shown.
#include "display/ComponentEntry.h"
#include "display/IniFileList.h"

#include <memory>

namespace velvane {

class SingleViewManager : public IniFileList {
public:
    explicit SingleViewManager(std::unique_ptr<ComponentEntry> entry);
    ~SingleViewManager() override;

    // Appends a skin that is current from now on.
    int AddInitialIni(std::u16string_view path) override;
    bool IsActive(int index) const override { return index == m_current; }
    std::u16string_view GetLabel() const override { return m_entry->GetLabel(); }
    // Keeps the current skin pointing at the same file.
    void RemoveIni(int index) override;

    // Creates the view with its built-in defaults, or, when it exists
    // already, reloads the current skin into it (no skin: the defaults).
    // The view's drawable; null for a class that draws nothing yet.
    Drawable* Activate();
    void Deactivate();
    // Makes index (-1: the built-in defaults) current and, while the view
    // exists, loads it; false when that load failed. A view that does not
    // exist only remembers the choice, after saying so.
    bool ChangeIni(int index);

    bool IsShown() const { return m_active; }
    int CurrentIndex() const { return m_current; }

    // The skin for the night (-1: none); it is one of the listed files.
    void SetNightIndex(int index) { m_night = index; }
    int NightIndex() const { return m_night; }
    // The last current skin that was not the night skin: what the view
    // returns to at dawn, and what a save keeps as current.
    int DayIndex() const { return m_day; }
    // Makes index current without loading it, for a view not shown.
    void SetCurrentIndex(int index);
    ComponentEntry& Entry() const { return *m_entry; }

private:
    std::unique_ptr<ComponentEntry> m_entry;
    bool m_active = false;
    int m_current = -1;
    int m_night = -1;
    int m_day = -1;
};

} // namespace velvane
