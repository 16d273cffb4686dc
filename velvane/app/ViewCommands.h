#pragma once
// The menu commands that switch views, choose skins and switch log and
// overlay files on and off.
#include "app/Menu.h"
#include "display/ComponentEntry.h"
#include "display/MultiComponentHolder.h"
#include "display/SingleViewManager.h"

#include <string>
#include <string_view>

namespace platform {
class Window;
}

namespace velvane {

class MenuTree;

// A file's menu label: its name without folder and extension.
std::u16string FileItemLabel(std::u16string_view path);

// "Anzeige" -> a view: shows it, gives it the menu's current-view item, and
// only then takes the previous view down.
class SelectViewCommand : public Command {
public:
    SelectViewCommand(MenuTree& tree, SingleViewManager& holder) : m_tree(tree), m_holder(holder) {}
    // The item that carries this command and the menu that holds it.
    void SetItem(Menu& menu, MenuItem* item) {
        m_menu = &menu;
        m_item = item;
    }
    void Execute() override;
    // Called when another view takes over.
    void DeselectView();
    SingleViewManager& Holder() const { return m_holder; }

private:
    MenuTree& m_tree;
    SingleViewManager& m_holder;
    Menu* m_menu = nullptr;
    MenuItem* m_item = nullptr;
};

// A skin of the current view; no path for "Standard" (the built-in look).
class SelectSkinCommand : public Command {
public:
    SelectSkinCommand(SingleViewManager& holder, const std::u16string* path, Menu& skins)
        : m_holder(holder), m_path(path), m_skins(skins) {}
    void SetItem(MenuItem* item) { m_item = item; }
    // A skin that fails to load leaves the list and the menu.
    void Execute() override;

private:
    SingleViewManager& m_holder;
    const std::u16string* m_path;
    Menu& m_skins;
    MenuItem* m_item = nullptr;
};

// "Skin Laden..." of the current view.
class AddViewSkinCommand : public Command {
public:
    AddViewSkinCommand(platform::Window* owner, SingleViewManager& holder, Menu& skins)
        : m_owner(owner), m_holder(holder), m_skins(skins) {}
    void Execute() override;

private:
    platform::Window* m_owner;
    SingleViewManager& m_holder;
    Menu& m_skins;
};

// A log or overlay file: switches its instance on or off. kind says which
// screen list the instance belongs to.
class ToggleInstanceCommand : public Command {
public:
    ToggleInstanceCommand(Screen& screen, MultiComponentHolder& holder, const std::u16string* path,
                          EntryKind kind, Menu& submenu)
        : m_screen(screen), m_holder(holder), m_path(path), m_kind(kind), m_submenu(submenu) {}
    void SetItem(MenuItem* item) { m_item = item; }
    void Execute() override;

private:
    Screen& m_screen;
    MultiComponentHolder& m_holder;
    const std::u16string* m_path;
    EntryKind m_kind;
    Menu& m_submenu;
    MenuItem* m_item = nullptr;
};

// "Einstellungen Laden..." of a log, "Skin Laden..." of an overlay.
class AddInstanceFileCommand : public Command {
public:
    AddInstanceFileCommand(platform::Window* owner, Screen& screen, MultiComponentHolder& holder,
                           EntryKind kind, Menu& submenu)
        : m_owner(owner), m_screen(screen), m_holder(holder), m_kind(kind), m_submenu(submenu) {}
    void Execute() override;

private:
    platform::Window* m_owner;
    Screen& m_screen;
    MultiComponentHolder& m_holder;
    EntryKind m_kind;
    Menu& m_submenu;
};

} // namespace velvane
