#pragma once
// One entry per component class and configuration entry: it stands for the
// component in the configuration and the menu and owns the component while it
// is active.
#include "display/Screen.h"

#include <memory>
#include <string_view>

namespace velvane {

class Component;
template <class T> class ComponentClassOf;
class ValueSources; // gps/ValueSources.h

enum class EntryKind { View, Log, Overlay };

// The screen must outlive its entries: deactivating takes the component off it.
class ComponentEntry {
public:
    // sources may be null: the component then gets no GPS data.
    ComponentEntry(Screen& screen, ValueSources* sources) : m_screen(screen), m_sources(sources) {}
    virtual ~ComponentEntry() = default;
    ComponentEntry(const ComponentEntry&) = delete;
    ComponentEntry& operator=(const ComponentEntry&) = delete;

    // The class's label in the menu.
    virtual std::u16string_view GetLabel() const = 0;
    // Creates the component at the screen's size and registers it, unless it
    // exists already. Views start with their built-in defaults and ignore
    // iniPath; logs and overlays load it and, when that fails, are deleted
    // again without being registered. True when the component exists.
    virtual bool Activate(std::u16string_view iniPath = {}) = 0;
    // Unregisters and deletes the component.
    virtual void Deactivate() = 0;
    // The component's drawable part; null while inactive.
    virtual Drawable* GetDrawable() const = 0;
    // The component's Load(path); false while inactive.
    virtual bool LoadIni(std::u16string_view path) = 0;
    // A new, inactive entry of the same class.
    virtual std::unique_ptr<ComponentEntry> Clone(Screen& screen, ValueSources* sources) const = 0;
    // For owners that hold entries by plain pointer.
    virtual void Release() { delete this; }

    Screen& GetScreen() const { return m_screen; }
    ValueSources* Sources() const { return m_sources; }

protected:
    Screen& m_screen;
    ValueSources* m_sources;
};

// The entry of component class T, which is built as T(screen, width, height)
// and has Load(path). Label, kind and listener registration come from the
// class's descriptor (display/ComponentClass.h), so every entry of every
// class behaves the same way and tearing an entry down can always unregister
// (no virtual call from a destructor).
template <class T> class ComponentEntryOf : public ComponentEntry {
public:
    // cls must outlive the entry; descriptors are static.
    ComponentEntryOf(Screen& screen, ValueSources* sources, const ComponentClassOf<T>& cls)
        : ComponentEntry(screen, sources), m_class(cls) {}
    ~ComponentEntryOf() override { Deactivate(); }

    std::u16string_view GetLabel() const override { return m_class.label; }

    bool Activate(std::u16string_view iniPath = {}) override {
        if (m_instance)
            return true;
        auto instance = std::make_unique<T>(m_screen, m_screen.Width(), m_screen.Height());
        if (m_class.kind != EntryKind::View && !instance->Load(iniPath))
            return false;
        m_instance = std::move(instance);
        if (m_sources && m_class.attach)
            m_class.attach(*m_sources, *m_instance);
        return true;
    }

    void Deactivate() override {
        if (!m_instance)
            return;
        if (m_sources && m_class.detach)
            m_class.detach(*m_sources, *m_instance);
        // The screen must not keep drawing or routing input to it.
        m_screen.Forget(m_instance.get());
        m_instance.reset();
    }

    Drawable* GetDrawable() const override { return m_instance.get(); }

    bool LoadIni(std::u16string_view path) override { return m_instance && m_instance->Load(path); }

    std::unique_ptr<ComponentEntry> Clone(Screen& screen, ValueSources* sources) const override {
        return std::make_unique<ComponentEntryOf<T>>(screen, sources, m_class);
    }

    T* Instance() const { return m_instance.get(); }
    EntryKind Kind() const { return m_class.kind; }
    const ComponentClassOf<T>& Class() const { return m_class; }

private:
    const ComponentClassOf<T>& m_class;
    std::unique_ptr<T> m_instance;
};

} // namespace velvane
