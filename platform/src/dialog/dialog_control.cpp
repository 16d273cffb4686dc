#include "dialog_control.h"
#include "check_control.h"
#include "edit_control.h"
#include "group_box_control.h"
#include "list_box_control.h"
#include "push_button_control.h"
#include "static_control.h"

namespace platform {

DialogControl::DialogControl(const ControlTemplate& tmpl, const Rect& rect)
    : m_id(tmpl.id), m_kind(tmpl.kind), m_style(tmpl.style), m_text(tmpl.text), m_rect(rect),
      m_enabled(!(tmpl.style & ControlStyle::Disabled)),
      m_visible(!(tmpl.style & ControlStyle::Hidden)) {}

std::unique_ptr<DialogControl> DialogControl::Make(const ControlTemplate& tmpl, const Rect& rect) {
    switch (tmpl.kind) {
    case ControlKind::PushButton:
        return std::make_unique<PushButtonControl>(tmpl, rect);
    case ControlKind::RadioButton:
    case ControlKind::CheckBox:
        return std::make_unique<CheckControl>(tmpl, rect);
    case ControlKind::Edit:
        return std::make_unique<EditControl>(tmpl, rect);
    case ControlKind::Static:
        return std::make_unique<StaticControl>(tmpl, rect);
    case ControlKind::GroupBox:
        return std::make_unique<GroupBoxControl>(tmpl, rect);
    case ControlKind::ListBox:
        return std::make_unique<ListBoxControl>(tmpl, rect);
    }
    return std::make_unique<StaticControl>(tmpl, rect);
}

} // namespace platform
