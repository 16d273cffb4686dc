#pragma once
#include "dialog_control.h"

namespace platform {

// Text wrapped at word boundaries, left, centred or right; taps go through.
class StaticControl : public DialogControl {
public:
    using DialogControl::DialogControl;
    void Paint(ControlSite& site, Canvas& canvas) override;
    bool TakesTaps() const override { return false; }
};

} // namespace platform
