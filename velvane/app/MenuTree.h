#pragma once
// The drawn menu's tree, made from the model's holders: the current view's
// skins, "Anzeige", "Log", "Overlays" and "Velvane". It also keeps which view
// command is current and which item carries that view's skins.
#include "app/Menu.h"

#include <memory>
#include <string_view>

namespace platform {
class Window;
}

namespace velvane {

class DayNightSwitch;
class Screen;
class SelectViewCommand;
class SingleViewManager;
class TachoModel;

class MenuTree {
public:
    // Screen and model must outlive the tree; window owns the dialogs.
    MenuTree(Screen& screen, TachoModel& model, platform::Window* window);
    ~MenuTree();
    MenuTree(const MenuTree&) = delete;
    MenuTree& operator=(const MenuTree&) = delete;

    // Builds a new tree from the model's holders, puts it on the screen as
    // the top object, then brings the stored state up: the initial view is
    // selected and the files to be switched on are switched on.
    Menu& Build();
    Menu* Root() const { return m_root.get(); }

    // "Laden...": the screen is reset, the model loads path, the tree is
    // built anew.
    void LoadConfiguration(std::u16string_view path);

    // For the view commands.
    SelectViewCommand* CurrentViewCommand() const { return m_currentViewCommand; }
    void SetCurrentViewCommand(SelectViewCommand* command) { m_currentViewCommand = command; }
    MenuItem* CurrentViewItem() const { return m_currentViewItem; }
    // Replaces the item in front of the top level by one for this view, with
    // its "Skins" submenu, and loads the view's current skin.
    void ShowViewItem(SingleViewManager& holder);

    Screen& GetScreen() const { return m_screen; }
    TachoModel& Model() const { return m_model; }
    platform::Window* Window() const { return m_window; }
    // Null unless the main settings ask for automatic night skins.
    DayNightSwitch* DayNight() const { return m_dayNight.get(); }

private:
    void AddVelvaneMenu(Menu& root);

    Screen& m_screen;
    TachoModel& m_model;
    platform::Window* m_window;
    std::unique_ptr<Menu> m_root;
    SelectViewCommand* m_currentViewCommand = nullptr;
    MenuItem* m_currentViewItem = nullptr;
    std::unique_ptr<DayNightSwitch> m_dayNight;
};

} // namespace velvane
