#pragma once
// The menu the program draws itself on top of everything: rows of boxes for
// the items, opened submenus as further rows below their parent.
#include "app/MenuStyle.h"
#include "display/Component.h"
#include "ini/IniParser.h"

#include "platform/geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velvane {

class Screen;

// What a menu item does when chosen.
class Command {
public:
    virtual ~Command() = default;
    virtual void Execute() = 0;
};

class Menu;

struct MenuItem {
    // Absent for submenu items. Shared with the posted task that runs it, so
    // that a command may delete its own item or the whole menu.
    std::shared_ptr<Command> command;
    std::unique_ptr<Menu> submenu; // absent for command items
    uint32_t flags = 0;            // bit 0: show the check mark
    std::u16string label;

    bool IsChecked() const { return (flags & 1) != 0; }
};

class Menu : public Component, public IniParser {
public:
    // The root menu of a tree: owns a style loaded from stylePath (empty:
    // the defaults).
    Menu(Screen* screen, int width, int height, std::u16string_view stylePath);
    // A submenu sharing its parent's style.
    explicit Menu(Menu& parent);
    ~Menu() override;

    // Append an item (position npos) or insert it at a position (0 = in
    // front). Adding or removing an item while the menu is open closes it.
    // The returned item stays valid until it is removed or the menu dies.
    MenuItem* AddCommand(std::u16string_view label, std::unique_ptr<Command> command,
                         bool checked = false, size_t position = SIZE_MAX);
    MenuItem* AddSubmenu(std::u16string_view label, std::unique_ptr<Menu> submenu,
                         size_t position = SIZE_MAX);
    // Deletes the item with its command and submenu; a running command is
    // kept until it returns.
    void RemoveItem(MenuItem* item);
    void SetChecked(MenuItem* item, bool on);

    size_t Count() const { return m_items.size(); }
    MenuItem* Item(size_t index) { return index < m_items.size() ? m_items[index].get() : nullptr; }
    int HotIndex() const { return m_hot; }

    bool IsOpen() const { return m_hot != -1; }
    void Open();
    void Close();

    // Root only (a submenu passes it to its root): a new style with the
    // defaults, then loaded from path. Submenus see the new style at once.
    void ReloadStyle(std::u16string_view path);
    MenuStyle& Style() { return *Root().m_style; }

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    bool OnKey(int keyCode) override;
    bool OnTap(int x, int y) override;

    // The box of item index when the menu's first row is laid out below y0;
    // the same arithmetic serves drawing and hit testing.
    platform::Rect ItemBox(size_t index, int y0);
    // The bottom of the last row, and where an open submenu's rows begin.
    int RowsBottom(int y0);
    int SubmenuOrigin(int y0) { return RowsBottom(y0) + Style().Dy(); }

private:
    int Columns();
    Menu* OpenSubmenu();
    Menu& Root();
    Menu& Deepest();
    void CloseAll();
    void SetHot(int index);
    void DrawItem(platform::Canvas& canvas, const MenuItem& item, const platform::Rect& box,
                  bool hot);
    // Closes the whole tree and posts the command: it runs once the input
    // that chose it is handled, outside the menu, and not at all if its item
    // is gone by then.
    void Execute(MenuItem* item);
    MenuItem* Insert(std::unique_ptr<MenuItem> item, size_t position);

    Menu* m_parent = nullptr;
    std::vector<std::unique_ptr<MenuItem>> m_items;
    int m_hot = -1;
    // Set in the root only; submenus reach it through Root() so that a
    // reloaded style never leaves them with a stale pointer.
    std::unique_ptr<MenuStyle> m_style;
};

} // namespace velvane
