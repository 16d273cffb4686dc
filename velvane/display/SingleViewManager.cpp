#include "display/SingleViewManager.h"

#include "platform/messagebox.h"

namespace velvane {

namespace {
std::u16string_view PathOrDefaults(const std::u16string* path) {
    return path ? std::u16string_view(*path) : std::u16string_view();
}
} // namespace

SingleViewManager::SingleViewManager(std::unique_ptr<ComponentEntry> entry)
    : m_entry(std::move(entry)) {}

SingleViewManager::~SingleViewManager() {
    m_entry->Deactivate();
}

int SingleViewManager::AddInitialIni(std::u16string_view path) {
    int index = AddIni(path);
    if (index >= 0)
        SetCurrentIndex(index);
    return index;
}

void SingleViewManager::SetCurrentIndex(int index) {
    m_current = index;
    if (index != m_night)
        m_day = index;
}

void SingleViewManager::RemoveIni(int index) {
    if (index < 0 || index >= Count())
        return;
    IniFileList::RemoveIni(index);
    for (int* kept : {&m_current, &m_night, &m_day}) {
        if (index == *kept)
            *kept = -1;
        else if (index < *kept)
            --*kept;
    }
}

Drawable* SingleViewManager::Activate() {
    if (m_active) {
        m_entry->LoadIni(PathOrDefaults(GetPath(m_current)));
    } else {
        m_entry->Activate(PathOrDefaults(GetPath(m_current)));
        m_active = true;
    }
    return m_entry->GetDrawable();
}

void SingleViewManager::Deactivate() {
    m_entry->Deactivate();
    m_active = false;
}

bool SingleViewManager::ChangeIni(int index) {
    SetCurrentIndex(index);
    if (m_active)
        return m_entry->LoadIni(PathOrDefaults(GetPath(index)));
    platform::MessageBox(nullptr, u"SingleViewManager::ChangeIni", u"Fehler",
                         platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Exclamation);
    return true;
}

} // namespace velvane
