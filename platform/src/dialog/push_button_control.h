#pragma once
#include "dialog_control.h"

namespace platform {

// A button that reports Clicked; owner-drawn ones are drawn by the handler.
class PushButtonControl : public DialogControl {
public:
    using DialogControl::DialogControl;
    void Paint(ControlSite& site, Canvas& canvas) override;
    bool Click(ControlSite& site) override;
};

// The raised button face with its text, sunken while pressed; check boxes
// with the PushLike style look the same.
void PaintButtonFace(Canvas& canvas, const DialogControl& control, bool pressed);

} // namespace platform
