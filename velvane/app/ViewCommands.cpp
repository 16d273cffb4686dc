#include "app/ViewCommands.h"

#include "app/FileDialogs.h"
#include "app/MenuTree.h"
#include "app/TachoModel.h"
#include "ini/IniText.h"

#include "platform/messagebox.h"

#include <memory>

namespace velvane {

namespace {

constexpr char16_t OpenTitle[] = u"Ini öffnen";

// The file chosen in the open dialog, unless it is listed already.
std::optional<std::u16string> ChooseNewFile(platform::Window* owner, const IniFileList& holder) {
    std::optional<std::u16string> path = OpenIniFile(owner, OpenTitle);
    if (!path || path->empty())
        return std::nullopt;
    if (holder.Contains(*path)) {
        platform::MessageBox(
            nullptr, u"Die Ini wurde schon geladen und kann im Menü ausgewählt werden.",
            u"Vorhanden", platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Information);
        return std::nullopt;
    }
    return path;
}

} // namespace

std::u16string FileItemLabel(std::u16string_view path) {
    std::u16string_view name = path.substr(FileNamePart(path));
    size_t dot = name.find_last_of(u'.');
    return std::u16string(dot == std::u16string_view::npos ? name : name.substr(0, dot));
}

void SelectViewCommand::Execute() {
    if (m_tree.CurrentViewCommand() == this)
        return;
    m_tree.Model().SetInitialView(&m_holder);
    // A class that draws nothing yet leaves the screen as it is; taking the
    // old view down below then brings the start view back.
    if (Drawable* view = m_holder.Activate())
        m_tree.GetScreen().SetView(view);
    m_tree.ShowViewItem(m_holder);
    if (m_menu)
        m_menu->SetChecked(m_item, true);
    SelectViewCommand* previous = m_tree.CurrentViewCommand();
    m_tree.SetCurrentViewCommand(this);
    if (previous)
        previous->DeselectView();
}

void SelectViewCommand::DeselectView() {
    m_holder.Deactivate();
    if (m_menu)
        m_menu->SetChecked(m_item, false);
}

void SelectSkinCommand::Execute() {
    const int index = m_holder.IndexOf(m_path);
    if (!m_holder.ChangeIni(index) && m_path) {
        // The item owns this command: everything below works on copies, and
        // removing the item is the last thing done.
        Menu& skins = m_skins;
        MenuItem* item = m_item;
        SingleViewManager& holder = m_holder;
        // The configuration still names it: the save on exit must keep it.
        if (auto* model = dynamic_cast<TachoModel*>(holder.Entry().Sources()))
            model->NoteUnreadFile(*m_path);
        for (size_t i = 0; i < skins.Count(); ++i)
            skins.SetChecked(skins.Item(i), false);
        holder.RemoveIni(index);
        skins.RemoveItem(item);
        return;
    }
    for (size_t i = 0; i < m_skins.Count(); ++i)
        m_skins.SetChecked(m_skins.Item(i), m_skins.Item(i) == m_item);
}

void AddViewSkinCommand::Execute() {
    std::optional<std::u16string> path = ChooseNewFile(m_owner, m_holder);
    if (!path)
        return;
    const int index = m_holder.AddIni(*path);
    if (index < 0)
        return;
    auto command = std::make_unique<SelectSkinCommand>(m_holder, m_holder.GetPath(index), m_skins);
    SelectSkinCommand* select = command.get();
    select->SetItem(m_skins.AddCommand(FileItemLabel(*path), std::move(command)));
    select->Execute();
}

void ToggleInstanceCommand::Execute() {
    const int index = m_holder.IndexOf(m_path);
    if (index < 0)
        return;
    if (m_holder.GetState(index) != MultiComponentHolder::State::On) {
        if (Drawable* instance = m_holder.SwitchOn(index)) {
            if (m_kind == EntryKind::Log)
                m_screen.AddLog(instance);
            else
                m_screen.AddOverlay(instance);
        }
        m_submenu.SetChecked(m_item, true);
    } else {
        if (Drawable* instance = m_holder.GetDrawable(index)) {
            m_screen.RemoveLog(instance);
            m_screen.RemoveOverlay(instance);
        }
        m_holder.SwitchOff(index);
        m_submenu.SetChecked(m_item, false);
    }
    m_screen.RequestRedraw();
}

void AddInstanceFileCommand::Execute() {
    std::optional<std::u16string> path = ChooseNewFile(m_owner, m_holder);
    if (!path)
        return;
    const int index = m_holder.AddIni(*path);
    if (index < 0)
        return;
    auto command = std::make_unique<ToggleInstanceCommand>(
        m_screen, m_holder, m_holder.GetPath(index), m_kind, m_submenu);
    ToggleInstanceCommand* toggle = command.get();
    toggle->SetItem(m_submenu.AddCommand(FileItemLabel(*path), std::move(command), false, 0));
    toggle->Execute();
}

} // namespace velvane
