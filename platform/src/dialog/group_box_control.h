#pragma once
#include "dialog_control.h"

namespace platform {

// A frame with its label in the top line; taps go through to what it holds.
class GroupBoxControl : public DialogControl {
public:
    using DialogControl::DialogControl;
    void Paint(ControlSite& site, Canvas& canvas) override;
    bool TakesTaps() const override { return false; }
};

} // namespace platform
