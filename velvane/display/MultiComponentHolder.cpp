#include "display/MultiComponentHolder.h"

namespace velvane {

MultiComponentHolder::MultiComponentHolder(std::unique_ptr<ComponentEntry> prototype)
    : m_prototype(std::move(prototype)) {}

MultiComponentHolder::~MultiComponentHolder() {
    m_instances.clear();
    m_prototype.reset();
}

int MultiComponentHolder::Append(std::u16string_view path, State state) {
    int index = IniFileList::AddIni(path);
    if (index < 0)
        return -1;
    m_instances.push_back(
        {m_prototype->Clone(m_prototype->GetScreen(), m_prototype->Sources()), state});
    return index;
}

int MultiComponentHolder::AddIni(std::u16string_view path) {
    return Append(path, State::Off);
}

int MultiComponentHolder::AddInitialIni(std::u16string_view path) {
    return Append(path, State::Pending);
}

void MultiComponentHolder::RemoveIni(int index) {
    if (index < 0 || index >= Count())
        return;
    IniFileList::RemoveIni(index);
    m_instances.erase(m_instances.begin() + index);
}

bool MultiComponentHolder::IsActive(int index) const {
    State state = GetState(index);
    return state == State::On || state == State::Pending;
}

Drawable* MultiComponentHolder::SwitchOn(int index) {
    if (index < 0 || index >= Count())
        return nullptr;
    Instance& instance = m_instances[static_cast<size_t>(index)];
    if (instance.state != State::On) {
        instance.entry->Activate(*GetPath(index));
        instance.state = State::On;
    }
    return instance.entry->GetDrawable();
}

void MultiComponentHolder::SwitchOff(int index) {
    if (index < 0 || index >= Count())
        return;
    Instance& instance = m_instances[static_cast<size_t>(index)];
    if (instance.state != State::On)
        return;
    instance.entry->Deactivate();
    instance.state = State::Off;
}

MultiComponentHolder::State MultiComponentHolder::GetState(int index) const {
    if (index < 0 || index >= Count())
        return State::Off;
    return m_instances[static_cast<size_t>(index)].state;
}

Drawable* MultiComponentHolder::GetDrawable(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return m_instances[static_cast<size_t>(index)].entry->GetDrawable();
}

} // namespace velvane
