#pragma once
// The holder of one log or overlay section: every listed settings file is an
// instance of its own, made from the prototype entry and switched on and off
// by itself, so one class can be on the screen several times.
#include "display/ComponentEntry.h"
#include "display/IniFileList.h"

#include <memory>
#include <vector>

namespace velvane {

class MultiComponentHolder : public IniFileList {
public:
    enum class State {
        Off = 0,
        On = 1,
        Pending = 2
    }; // Pending: switched on when the menu is built

    explicit MultiComponentHolder(std::unique_ptr<ComponentEntry> prototype);
    // The instances go first, the prototype last.
    ~MultiComponentHolder() override;

    int AddIni(std::u16string_view path) override;
    int AddInitialIni(std::u16string_view path) override;
    void RemoveIni(int index) override;
    bool IsActive(int index) const override;
    std::u16string_view GetLabel() const override { return m_prototype->GetLabel(); }

    // Creates and loads the instance of file index unless it is on. Its
    // drawable, or null (out of range, or nothing to draw).
    Drawable* SwitchOn(int index);
    void SwitchOff(int index);

    State GetState(int index) const;
    // The instance's drawable while it exists.
    Drawable* GetDrawable(int index) const;

private:
    int Append(std::u16string_view path, State state);

    std::unique_ptr<ComponentEntry> m_prototype;
    struct Instance {
        std::unique_ptr<ComponentEntry> entry;
        State state;
    };
    std::vector<Instance> m_instances;
};

} // namespace velvane
