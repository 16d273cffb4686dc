#pragma once
#include "dialog_control.h"

namespace platform {

// A one-line text field: takes the focus on a click and typed characters
// while focused; Back removes the last character.
class EditControl : public DialogControl {
public:
    // Typing stops here; the device's fields are far shorter.
    static constexpr size_t MaxLength = 1024;

    using DialogControl::DialogControl;
    void Paint(ControlSite& site, Canvas& canvas) override;
    bool Click(ControlSite& site) override;
    bool TakesFocus() const override { return true; }
    bool TakesText() const override { return true; }
    void Key(ControlSite& site, int virtualKey) override;
    void Char(ControlSite& site, char16_t c) override;
};

} // namespace platform
