#pragma once
// Dialogs built from templates, as the device builds them from resources: a
// caption, a font, a size in dialog units and a table of controls with ids.
// Modal dialogs run their own loop and end with a result; modeless ones live
// beside the main window. Dialogs are top-level windows (class "Dialog"
// unless the template names another) that other code can find and move.
#include "platform/canvas.h"
#include "platform/lifetime.h"
#include "platform/window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class ControlKind { PushButton, RadioButton, CheckBox, Edit, Static, GroupBox, ListBox };

namespace ControlStyle {
constexpr uint32_t Default = 0x1; // push button taken by Return
constexpr uint32_t Disabled = 0x2;
constexpr uint32_t OwnerDraw = 0x4; // push button drawn by OnDrawItem
constexpr uint32_t Group = 0x8;     // starts a group of radio buttons
constexpr uint32_t PushLike = 0x10; // check box drawn as a button
constexpr uint32_t Hidden = 0x20;
constexpr uint32_t Notify = 0x40; // list box reports selection changes
constexpr uint32_t Sort = 0x80;   // list box inserts in order
constexpr uint32_t Border = 0x100;
constexpr uint32_t HScroll = 0x200;
constexpr uint32_t VScroll = 0x400;
constexpr uint32_t Center = 0x800; // static text centred
constexpr uint32_t Right = 0x1000; // static text right-aligned
} // namespace ControlStyle

struct ControlTemplate {
    int id = -1; // -1 for statics and frames nobody addresses
    ControlKind kind = ControlKind::Static;
    std::u16string text;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    uint32_t style = 0;
};

namespace DialogStyle {
constexpr uint32_t Modal = 0x0;
constexpr uint32_t ToolWindow = 0x1; // a small caption
constexpr uint32_t NoCaption = 0x2;
constexpr uint32_t Centered = 0x4; // x and y are ignored; centred on the screen
} // namespace DialogStyle

struct DialogTemplate {
    int resourceId = 0;
    std::u16string caption;
    std::u16string className = u"Dialog";
    std::u16string fontFace = u"System";
    int fontPoints = 8;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    uint32_t style = DialogStyle::Modal;
    std::vector<ControlTemplate> controls;
};

enum class Notification { Clicked, EditChanged, EditFocus, SelectionChanged };

struct DrawItemState {
    bool pressed = false;
    bool disabled = false;
    bool focused = false;
};

class Dialog;
class DialogControl;
class ListBoxControl;

class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // After the controls exist; false ends a modal dialog with IdCancel.
    virtual bool OnInit(Dialog&) { return true; }
    virtual void OnCommand(Dialog&, int /*id*/, Notification) {}
    virtual void OnTimer(Dialog&, int /*id*/) {}
    // Owner-drawn buttons: rect is the button's, in the canvas given.
    virtual void OnDrawItem(Dialog&, int /*id*/, Canvas&, const Rect&, DrawItemState) {}
    // The close request (caption close, Escape without a Cancel button).
    virtual void OnClose(Dialog& dialog);
};

class Dialog {
public:
    // Runs the dialog until End; returns the result (IdCancel when it could
    // not be created, with LastError set).
    static int RunModal(const DialogTemplate& tmpl, DialogHandler& handler, Window* owner);
    // A dialog beside the others; null when it could not be created. It
    // lives until Destroy or its window is closed.
    static Dialog* CreateModeless(const DialogTemplate& tmpl, DialogHandler& handler,
                                  Window* owner);
    // The live dialog that is this window, or null.
    static Dialog* FromWindow(Window* window);
    // The topmost live dialog, or null.
    static Dialog* Topmost();

    void End(int result);
    void Destroy();
    bool IsEnded() const { return m_ended; }
    int Result() const { return m_result; }

    Window& GetWindow() { return *m_window; }
    const DialogTemplate& Template() const { return m_template; }

    // Any control.
    bool HasControl(int id) const;
    void SetText(int id, std::u16string_view text);
    std::u16string GetText(int id) const;
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    void Show(int id, bool visible);
    bool IsShown(int id) const;
    // Pixel rectangle of a control in window coordinates.
    Rect ControlRect(int id) const;
    // Changes the id of a control (the entry dialog swaps two fields).
    void SetControlId(int id, int newId);
    void SetFocus(int id);
    int Focus() const { return m_focus; }
    // What a user's tap on the control does: radio buttons check, check boxes
    // toggle, buttons report Clicked. False for unknown or disabled controls.
    bool Click(int id);

    // Radio buttons and check boxes.
    void Check(int id, bool checked);
    bool IsChecked(int id) const;

    // List boxes. AddString keeps sorted order with the Sort style; returns
    // the index. Selection -1 is none.
    int AddString(int id, std::u16string_view text);
    int InsertString(int id, int index, std::u16string_view text);
    bool DeleteString(int id, int index);
    void ResetContent(int id);
    int GetCount(int id) const;
    std::u16string GetItemText(int id, int index) const;
    void SetItemData(int id, int index, intptr_t data);
    intptr_t GetItemData(int id, int index) const;
    int GetCurSel(int id) const;
    void SetCurSel(int id, int index);
    void SetHorizontalExtent(int id, int pixels);
    int TopIndex(int id) const;

    void SetTimer(int timerId, uint32_t periodMs);
    void KillTimer(int timerId);
    void Invalidate() { m_window->Invalidate(); }

    // Pixels of dialog units for this dialog's font.
    int UnitsToPixelsX(int units) const { return (units * m_baseX + 2) / 4; }
    int UnitsToPixelsY(int units) const { return (units * m_baseY + 4) / 8; }
    int CaptionHeight() const { return m_captionHeight; }

    ~Dialog();

private:
    class Host;
    Dialog(const DialogTemplate& tmpl, DialogHandler& handler);
    // False when the window could not be made, or the dialog went during its
    // OnInit.
    bool Build(Window* owner, bool modal);
    DialogControl* Find(int id);
    const DialogControl* Find(int id) const;
    ListBoxControl* FindList(int id);
    const ListBoxControl* FindList(int id) const;
    void Paint(Canvas& canvas);
    void OnTap(int x, int y);
    void OnKey(int key);
    void OnChar(char16_t c);
    bool ClickControl(DialogControl& control);
    void UncheckGroup(DialogControl& chosen);
    bool Notify(int id, Notification n);
    void Unlist();

    DialogTemplate m_template;
    DialogHandler& m_handler;
    std::unique_ptr<Host> m_host;
    Window* m_window = nullptr;
    std::vector<std::unique_ptr<DialogControl>> m_controls;
    Font m_font;
    int m_baseX = 4;
    int m_baseY = 8;
    int m_captionHeight = 0;
    int m_focus = -1;
    bool m_modal = false;
    bool m_ended = false;
    int m_result = 0;
    Lifetime m_life;
};

// Pixel height of a font of this many points on the device's 96-dpi screen.
int PointsToPixels(int points);

struct FileDialogOptions {
    std::u16string title;
    std::u16string filterName = u"Ini-Dateien";
    std::u16string pattern = u"*.ini";
    std::u16string defaultExtension = u"ini";
    std::u16string initialDirectory; // device path; empty: the root
    std::u16string fileName;         // proposed name
    bool fileMustExist = false;
    size_t maxLength = 260;
    Window* owner = nullptr;
};

// The open and save dialogs: folders and matching files of the device tree,
// a name field, OK and Cancel. The chosen device path, or nothing on cancel
// (also when the path would be longer than maxLength - 1). Headless: the
// first queued answer for the title, else cancelled.
std::optional<std::u16string> GetOpenFileName(const FileDialogOptions& options);
std::optional<std::u16string> GetSaveFileName(const FileDialogOptions& options);

// The file dialog as a modeless dialog, for tests of what works beside it.
Dialog* OpenFileDialogModeless(const FileDialogOptions& options,
                               std::function<void(std::optional<std::u16string>)> done);

void Beep();

} // namespace platform
