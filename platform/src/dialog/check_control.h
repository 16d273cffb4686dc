#pragma once
#include "dialog_control.h"

namespace platform {

// Radio buttons and check boxes: a box or circle beside the text, or a
// button that stays pressed (PushLike check boxes). A click on a radio
// button checks it and clears the rest of its group; on a check box it
// toggles.
class CheckControl : public DialogControl {
public:
    using DialogControl::DialogControl;
    void Paint(ControlSite& site, Canvas& canvas) override;
    bool Click(ControlSite& site) override;
    void SetChecked(ControlSite& site, bool checked) override;
    bool IsChecked() const override { return m_checked; }

private:
    bool IsRadio() const { return Kind() == ControlKind::RadioButton; }

    bool m_checked = false;
};

} // namespace platform
