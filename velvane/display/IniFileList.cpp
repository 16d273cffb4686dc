#include "display/IniFileList.h"

namespace velvane {

int IniFileList::AddIni(std::u16string_view path) {
    if (path.empty())
        return -1;
    m_paths.push_back(std::make_unique<std::u16string>(path));
    return Count() - 1;
}

void IniFileList::RemoveIni(int index) {
    if (index < 0 || index >= Count())
        return;
    m_paths.erase(m_paths.begin() + index);
}

const std::u16string* IniFileList::GetPath(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return m_paths[static_cast<size_t>(index)].get();
}

int IniFileList::IndexOf(const std::u16string* path) const {
    if (!path)
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (m_paths[static_cast<size_t>(i)].get() == path)
            return i;
    return -1;
}

bool IniFileList::Contains(std::u16string_view path) const {
    for (const auto& stored : m_paths)
        if (*stored == path)
            return true;
    return false;
}

} // namespace velvane
