#pragma once
// The component classes a configuration section can name, in the order the
// section names are matched.
#include "display/ComponentClass.h"

#include <memory>
#include <span>
#include <string_view>

namespace velvane {

// All classes in match order.
std::span<const ComponentClass* const> ComponentClasses();
// The first class whose section name begins with name (so "Spe" is a
// Speedo); null when none does.
const ComponentClass* FindComponentClass(std::u16string_view name);

// The entry of a class whose component is not built yet: it is listed and
// can be switched on and off, but shows nothing and reports nothing, and
// every file given to it is accepted as it is, so that no configured file is
// lost on the way through the program.
class PendingEntry : public ComponentEntry {
public:
    PendingEntry(Screen& screen, ValueSources* sources, const char16_t* label)
        : ComponentEntry(screen, sources), m_label(label) {}

    std::u16string_view GetLabel() const override { return m_label; }
    bool Activate(std::u16string_view) override {
        m_active = true;
        return true;
    }
    void Deactivate() override { m_active = false; }
    Drawable* GetDrawable() const override { return nullptr; }
    bool LoadIni(std::u16string_view) override { return m_active; }
    std::unique_ptr<ComponentEntry> Clone(Screen& screen, ValueSources* sources) const override {
        return std::make_unique<PendingEntry>(screen, sources, m_label);
    }
    bool IsActive() const { return m_active; }

private:
    const char16_t* m_label;
    bool m_active = false;
};

// The descriptor of a class not built yet; building it replaces its row in
// the factory's table by the class's own descriptor.
class PendingClass final : public ComponentClass {
public:
    using ComponentClass::ComponentClass;
    std::unique_ptr<ComponentEntry> CreateEntry(Screen& screen,
                                                ValueSources* sources) const override {
        return std::make_unique<PendingEntry>(screen, sources, label);
    }
};

} // namespace velvane
