#pragma once
// A component class as configurations and the menu know it: the section name
// that stands for it, its menu label, its kind and how an entry of it is
// made. Each component class defines its descriptor next to its own code; the
// factory only lists them (see instruments/README.md).
#include "display/ComponentEntry.h"

#include <memory>

namespace velvane {

class ComponentClass {
public:
    constexpr ComponentClass(const char16_t* sectionName, const char16_t* label, EntryKind kind)
        : sectionName(sectionName), label(label), kind(kind) {}

    // A new, inactive entry of this class.
    virtual std::unique_ptr<ComponentEntry> CreateEntry(Screen& screen,
                                                        ValueSources* sources) const = 0;

    const char16_t* sectionName; // also the name written back when saving
    const char16_t* label;       // in the menu
    EntryKind kind;

protected:
    // Descriptors are static and never deleted through this type.
    ~ComponentClass() = default;
};

// The descriptor of component class T, whose entries are ComponentEntryOf<T>.
template <class T> class ComponentClassOf final : public ComponentClass {
public:
    // Registration with the value sources, called only when the entry has
    // some: attach right after the component is made, detach before it is
    // deleted, so that no value reaches a dead listener.
    using Hook = void (*)(ValueSources& sources, T& component);

    constexpr ComponentClassOf(const char16_t* sectionName, const char16_t* label, EntryKind kind,
                               Hook attach = nullptr, Hook detach = nullptr)
        : ComponentClass(sectionName, label, kind), attach(attach), detach(detach) {}

    std::unique_ptr<ComponentEntry> CreateEntry(Screen& screen,
                                                ValueSources* sources) const override {
        return std::make_unique<ComponentEntryOf<T>>(screen, sources, *this);
    }

    Hook attach;
    Hook detach;
};

} // namespace velvane
