#include "app/MenuTree.h"

#include "app/DayNightSwitch.h"
#include "app/FileDialogs.h"
#include "app/GpsSettingsDialog.h"
#include "app/Splash.h"
#include "app/TachoModel.h"
#include "app/ViewCommands.h"
#include "display/Screen.h"

#include "platform/window.h"

#include <functional>
#include <vector>

namespace velvane {

namespace {

// A command that is just a call.
class CallCommand : public Command {
public:
    explicit CallCommand(std::function<void()> call) : m_call(std::move(call)) {}
    void Execute() override { m_call(); }

private:
    std::function<void()> m_call;
};

std::unique_ptr<Command> Call(std::function<void()> call) {
    return std::make_unique<CallCommand>(std::move(call));
}

// "Autom. Speichern": the flag is written with the next save.
class AutoSaveCommand : public Command {
public:
    AutoSaveCommand(MainSettings& settings, Menu& menu) : m_settings(settings), m_menu(menu) {}
    void SetItem(MenuItem* item) { m_item = item; }
    void Execute() override {
        m_settings.SetSaveOnExit(!m_settings.SaveOnExit());
        m_menu.SetChecked(m_item, m_settings.SaveOnExit());
    }

private:
    MainSettings& m_settings;
    Menu& m_menu;
    MenuItem* m_item = nullptr;
};

// A submenu per holder, holding one submenu (filesLabel) with the command
// that adds a file, then one item per file.
template <class Sections>
void AddInstanceMenus(Menu& parent, const Sections& sections, EntryKind kind,
                      std::u16string_view filesLabel, std::u16string_view addLabel, Screen& screen,
                      platform::Window* window, std::vector<ToggleInstanceCommand*>& toSwitchOn) {
    for (const auto& section : sections) {
        MultiComponentHolder& holder = *section.holder;
        auto files = std::make_unique<Menu>(parent);
        files->AddCommand(addLabel, std::make_unique<AddInstanceFileCommand>(window, screen, holder,
                                                                             kind, *files));
        for (int i = 0; i < holder.Count(); ++i) {
            const std::u16string* path = holder.GetPath(i);
            auto command =
                std::make_unique<ToggleInstanceCommand>(screen, holder, path, kind, *files);
            ToggleInstanceCommand* toggle = command.get();
            const auto state = holder.GetState(i);
            toggle->SetItem(files->AddCommand(FileItemLabel(*path), std::move(command),
                                              state == MultiComponentHolder::State::On));
            if (state == MultiComponentHolder::State::Pending)
                toSwitchOn.push_back(toggle);
        }
        auto entry = std::make_unique<Menu>(parent);
        entry->AddSubmenu(filesLabel, std::move(files));
        parent.AddSubmenu(holder.GetLabel(), std::move(entry));
    }
}

} // namespace

MenuTree::MenuTree(Screen& screen, TachoModel& model, platform::Window* window)
    : m_screen(screen), m_model(model), m_window(window) {
    if (m_model.Settings().DayNight())
        m_dayNight = std::make_unique<DayNightSwitch>(*this);
}

MenuTree::~MenuTree() {
    m_dayNight.reset();
    if (m_screen.Top() == m_root.get())
        m_screen.SetTop(nullptr);
}

Menu& MenuTree::Build() {
    // Loading the new style may show a message box, and the screen must not
    // draw the old tree meanwhile.
    if (m_root && m_screen.Top() == m_root.get())
        m_screen.SetTop(nullptr);
    m_root.reset();
    m_currentViewCommand = nullptr;
    m_currentViewItem = nullptr;
    m_root = std::make_unique<Menu>(&m_screen, m_screen.Width(), m_screen.Height(),
                                    m_model.Settings().MenuIni());
    Menu& root = *m_root;

    SelectViewCommand* initialView = nullptr;
    auto views = std::make_unique<Menu>(root);
    for (const auto& section : m_model.Views()) {
        auto command = std::make_unique<SelectViewCommand>(*this, *section.holder);
        SelectViewCommand* select = command.get();
        select->SetItem(*views, views->AddCommand(section.holder->GetLabel(), std::move(command)));
        if (section.holder.get() == m_model.InitialView())
            initialView = select;
    }
    root.AddSubmenu(u"Anzeige", std::move(views));

    std::vector<ToggleInstanceCommand*> toSwitchOn;
    auto logs = std::make_unique<Menu>(root);
    AddInstanceMenus(*logs, m_model.Logs(), EntryKind::Log, u"Einstellungen",
                     u"Einstellungen Laden...", m_screen, m_window, toSwitchOn);
    root.AddSubmenu(u"Log", std::move(logs));

    auto overlays = std::make_unique<Menu>(root);
    AddInstanceMenus(*overlays, m_model.Overlays(), EntryKind::Overlay, u"Skins", u"Skin Laden...",
                     m_screen, m_window, toSwitchOn);
    root.AddSubmenu(u"Overlays", std::move(overlays));

    AddVelvaneMenu(root);
    m_screen.SetTop(&root);

    // The stored state: the view first, so overlays come up over it.
    if (initialView)
        initialView->Execute();
    for (ToggleInstanceCommand* toggle : toSwitchOn)
        toggle->Execute();
    if (m_dayNight)
        m_dayNight->Attach();
    return root;
}

void MenuTree::AddVelvaneMenu(Menu& root) {
    MainSettings& settings = m_model.Settings();
    auto velvane = std::make_unique<Menu>(root);

    auto configuration = std::make_unique<Menu>(*velvane);
    configuration->AddCommand(u"Laden...", Call([this] {
                                  if (std::optional<std::u16string> path =
                                          OpenIniFile(m_window, u"Konfiguration öffnen"))
                                      LoadConfiguration(*path);
                              }));
    configuration->AddCommand(u"Speichern...", Call([this] {
                                  if (std::optional<std::u16string> path =
                                          SaveIniFile(m_window, u"Einstellungen speichern:"))
                                      m_model.SaveConfigurationAs(*path);
                              }));
    auto autoSave = std::make_unique<AutoSaveCommand>(settings, *configuration);
    AutoSaveCommand* toggle = autoSave.get();
    toggle->SetItem(
        configuration->AddCommand(u"Autom. Speichern", std::move(autoSave), settings.SaveOnExit()));
    velvane->AddSubmenu(u"Konfig.", std::move(configuration));

    auto style = std::make_unique<Menu>(*velvane);
    style->AddCommand(u"Standard", Call([this] {
                          m_model.Settings().SetMenuIni(u"");
                          if (m_root)
                              m_root->ReloadStyle(u"");
                      }));
    style->AddCommand(u"Skin laden...", Call([this] {
                          std::optional<std::u16string> path =
                              OpenIniFile(m_window, u"Menu-Ini öffnen");
                          if (!path)
                              return;
                          // The night style chosen by hand shows until dawn;
                          // the day style stays what it was.
                          MainSettings& settings = m_model.Settings();
                          if (!settings.DayNight() || *path != settings.NightMenuIni())
                              settings.SetMenuIni(*path);
                          if (m_root)
                              m_root->ReloadStyle(*path);
                      }));
    velvane->AddSubmenu(u"Menü", std::move(style));

    auto gps = std::make_unique<Menu>(*velvane);
    gps->AddCommand(u"Einstellungen...", Call([this] {
                        TachoModel& model = m_model;
                        ChangeGpsSettings(
                            m_window, model.Settings(),
                            [&model](int protocol) { model.SetSpeedProtocol(protocol); },
                            [&model] {
                                model.CreateReceiver();
                                return model.Receiver()->Load(model.Settings().GpsIni());
                            });
                    }));
    velvane->AddSubmenu(u"GPS", std::move(gps));

    // The close tears down the application, this menu with it; commands run
    // outside the menu, so that is safe.
    velvane->AddCommand(u"Beenden", Call([window = m_window] {
                            if (window)
                                window->Close();
                        }));
    velvane->AddCommand(u"Über", std::make_unique<AboutCommand>(m_screen));
    root.AddSubmenu(u"Velvane", std::move(velvane));
}

void MenuTree::ShowViewItem(SingleViewManager& holder) {
    Menu& root = *m_root;
    if (m_currentViewItem)
        root.RemoveItem(m_currentViewItem);
    auto view = std::make_unique<Menu>(root);
    auto skins = std::make_unique<Menu>(*view);
    Menu& skinMenu = *skins;

    auto standard = std::make_unique<SelectSkinCommand>(holder, nullptr, skinMenu);
    SelectSkinCommand* select = standard.get();
    select->SetItem(skinMenu.AddCommand(u"Standard", std::move(standard), true));
    SelectSkinCommand* current = nullptr;
    for (int i = 0; i < holder.Count(); ++i) {
        const std::u16string* path = holder.GetPath(i);
        auto command = std::make_unique<SelectSkinCommand>(holder, path, skinMenu);
        select = command.get();
        select->SetItem(skinMenu.AddCommand(FileItemLabel(*path), std::move(command)));
        if (i == holder.CurrentIndex())
            current = select;
    }
    skinMenu.AddCommand(u"Skin Laden...",
                        std::make_unique<AddViewSkinCommand>(m_window, holder, skinMenu));
    view->AddSubmenu(u"Skins", std::move(skins));
    m_currentViewItem = root.AddSubmenu(holder.GetLabel(), std::move(view), 0);
    if (current)
        current->Execute();
}

void MenuTree::LoadConfiguration(std::u16string_view path) {
    // The current view and instances are the old holders'; nothing may
    // point at them once the model lets them go.
    m_currentViewCommand = nullptr;
    m_currentViewItem = nullptr;
    m_screen.Reset();
    m_model.Load(path);
    Build();
}

} // namespace velvane
