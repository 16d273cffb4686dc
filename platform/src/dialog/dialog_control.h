#pragma once
// One control of a dialog. Each kind is a class of its own that paints itself
// and takes its own taps, keys and characters; the dialog keeps them in
// template order and asks them through this interface only.
#include "platform/dialog.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform::dialog_look {

inline constexpr Color Face = Rgb(212, 208, 200);
inline constexpr Color Caption = Rgb(0, 0, 128);
inline constexpr Color CaptionText = Rgb(255, 255, 255);
inline constexpr Color FieldColor = Rgb(255, 255, 255);
inline constexpr Color TextColor = Rgb(0, 0, 0);
inline constexpr Color GrayText = Rgb(128, 128, 128);
inline constexpr Color Highlight = Rgb(0, 0, 128);
inline constexpr int ScrollBarWidth = 13;
inline constexpr uint32_t LineFlags = TextFlag::SingleLine | TextFlag::VCenter | TextFlag::NoPrefix;

} // namespace platform::dialog_look

namespace platform {

// What a control may ask of the dialog it sits in.
class ControlSite {
public:
    // The height of a line of the dialog's font (8 vertical dialog units).
    virtual int LineHeight() const = 0;
    virtual bool HasFocus(const DialogControl& control) const = 0;
    virtual void SetFocus(DialogControl& control) = 0;
    virtual void Invalidate() = 0;
    // A click as the dialog allows it: not for controls without an id, nor
    // once the dialog has ended.
    virtual bool Click(DialogControl& control) = 0;
    // Reports to the dialog's handler. False when the dialog went during the
    // call: the caller then touches nothing of it (nor of itself) any more.
    virtual bool Notify(int id, Notification notification) = 0;
    // Owner-drawn controls are drawn by the handler.
    virtual void DrawItem(int id, Canvas& canvas, const Rect& rect, DrawItemState state) = 0;
    // Clears the other radio buttons of the control's group.
    virtual void UncheckGroup(DialogControl& control) = 0;

protected:
    ~ControlSite() = default;
};

class DialogControl {
public:
    DialogControl(const ControlTemplate& tmpl, const Rect& rect);
    virtual ~DialogControl() = default;
    DialogControl(const DialogControl&) = delete;
    DialogControl& operator=(const DialogControl&) = delete;

    // A control of the template's kind, at rect in window pixels.
    static std::unique_ptr<DialogControl> Make(const ControlTemplate& tmpl, const Rect& rect);

    int Id() const { return m_id; }
    void SetId(int id) { m_id = id; }
    ControlKind Kind() const { return m_kind; }
    bool HasStyle(uint32_t style) const { return (m_style & style) != 0; }
    const std::u16string& Text() const { return m_text; }
    void SetText(std::u16string_view text) { m_text = text; }
    const Rect& GetRect() const { return m_rect; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }

    // Draws the control; the dialog's font, transparent text and the text
    // colour of its enabled state are selected, and restored afterwards.
    virtual void Paint(ControlSite& site, Canvas& canvas) = 0;

    // Statics and frames let taps through to what lies below them.
    virtual bool TakesTaps() const { return true; }
    // A tap inside the control, which is enabled and visible: a click unless
    // the control does more with the point.
    virtual void Tap(ControlSite& site, int /*x*/, int /*y*/) { site.Click(*this); }
    // What a click does (the dialog has checked the control may take it);
    // false when the kind has no click.
    virtual bool Click(ControlSite&) { return false; }

    // Tab stops, and the kind that takes typed text and the first focus.
    virtual bool TakesFocus() const { return false; }
    virtual bool TakesText() const { return false; }
    // Keys and characters reach the focused control when it is enabled.
    virtual void Key(ControlSite&, int /*virtualKey*/) {}
    virtual void Char(ControlSite&, char16_t) {}

    // Radio buttons and check boxes; other kinds are never checked.
    virtual void SetChecked(ControlSite&, bool /*checked*/) {}
    virtual bool IsChecked() const { return false; }

private:
    int m_id;
    ControlKind m_kind;
    uint32_t m_style;
    std::u16string m_text;
    Rect m_rect;
    bool m_enabled;
    bool m_visible;
};

} // namespace platform
