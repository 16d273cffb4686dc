#pragma once
// One entry per component class and configuration entry: it stands for the
// component in the configuration and the menu and owns the component while it
// is active.
#include "display/Screen.h"

#include <memory>
#include <string_view>

namespace velvane {

class TachoModel;
class Component;

enum class EntryKind { View, Log, Overlay };

// The screen must outlive its entries: deactivating takes the component off it.
class ComponentEntry {
public:
    ComponentEntry(Screen& screen, TachoModel* model) : m_screen(screen), m_model(model) {}
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
    virtual std::unique_ptr<ComponentEntry> Clone(Screen& screen, TachoModel* model) const = 0;
    // For owners that hold entries by plain pointer.
    virtual void Release() { delete this; }

    Screen& GetScreen() const { return m_screen; }
    TachoModel* Model() const { return m_model; }

protected:
    Screen& m_screen;
    TachoModel* m_model;
};

// The entry of component class T, which is built as T(screen, width, height)
// and has Load(path). A class's label, kind and listener registration are
// data, so every entry of every class behaves the same way and tearing an
// entry down can always unregister (no virtual call from a destructor).
template <class T> class ComponentEntryOf : public ComponentEntry {
public:
    // Registration with the model's sources and the receiver; called only
    // when the entry has a model.
    using Hook = void (*)(TachoModel& model, T& component);
    struct Class {
        const char16_t* label;
        EntryKind kind;
        Hook attach = nullptr;
        Hook detach = nullptr;
    };

    ComponentEntryOf(Screen& screen, TachoModel* model, const Class& cls)
        : ComponentEntry(screen, model), m_class(cls) {}
    ~ComponentEntryOf() override { Deactivate(); }

    std::u16string_view GetLabel() const override { return m_class.label; }

    bool Activate(std::u16string_view iniPath = {}) override {
        if (m_instance)
            return true;
        auto instance = std::make_unique<T>(m_screen, m_screen.Width(), m_screen.Height());
        if (m_class.kind != EntryKind::View && !instance->Load(iniPath))
            return false;
        m_instance = std::move(instance);
        if (m_model && m_class.attach)
            m_class.attach(*m_model, *m_instance);
        return true;
    }

    void Deactivate() override {
        if (!m_instance)
            return;
        if (m_model && m_class.detach)
            m_class.detach(*m_model, *m_instance);
        // The screen must not keep drawing or routing input to it.
        m_screen.Forget(m_instance.get());
        m_instance.reset();
    }

    Drawable* GetDrawable() const override { return m_instance.get(); }

    bool LoadIni(std::u16string_view path) override { return m_instance && m_instance->Load(path); }

    std::unique_ptr<ComponentEntry> Clone(Screen& screen, TachoModel* model) const override {
        return std::make_unique<ComponentEntryOf<T>>(screen, model, m_class);
    }

    T* Instance() const { return m_instance.get(); }
    EntryKind Kind() const { return m_class.kind; }

private:
    Class m_class;
    std::unique_ptr<T> m_instance;
};

} // namespace velvane
