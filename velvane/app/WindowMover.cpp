#include "app/WindowMover.h"
#include "platform/inputpanel.h"
#include "platform/messagebox.h"

#include <algorithm>

namespace velvane {

namespace {

using platform::ControlKind;
namespace ControlStyle = platform::ControlStyle;

constexpr platform::Color ButtonFace = platform::Rgb(212, 208, 200);
constexpr platform::Color KeyColor = platform::Rgb(255, 0, 255);
constexpr int BitmapSize = 20;
constexpr int EdgeWidth = 2;   // what DrawEdge paints
constexpr int BorderWidth = 1; // the device's thin border metric
constexpr int MoveButtons = 8;

// Pointers may be reused after a window is gone, so a live window must also
// still look like the one we found.
bool IsLive(const platform::Window* window, std::u16string_view className,
            std::u16string_view title) {
    const auto windows = platform::TopLevelWindows();
    return window && std::find(windows.begin(), windows.end(), window) != windows.end() &&
           window->ClassName() == className && window->Title() == title;
}

} // namespace

platform::DialogTemplate WindowMover::Template() {
    platform::DialogTemplate t;
    t.resourceId = ResourceId;
    t.caption = u"Move Window";
    t.fontFace = u"System";
    t.fontPoints = 8;
    t.cx = 70;
    t.cy = 28;
    t.style = platform::DialogStyle::ToolWindow;
    const uint32_t move = ControlStyle::OwnerDraw | ControlStyle::Disabled;
    t.controls = {
        {IdTopLeft, ControlKind::PushButton, u"1", 0, 0, 14, 14, move},
        {IdTopRight, ControlKind::PushButton, u"2", 14, 0, 14, 14, move},
        {IdBottomLeft, ControlKind::PushButton, u"3", 0, 14, 14, 14, move},
        {IdBottomRight, ControlKind::PushButton, u"4", 14, 14, 14, 14, move},
        {IdLeft, ControlKind::PushButton, u"5", 28, 14, 14, 14, move},
        {IdUp, ControlKind::PushButton, u"6", 42, 0, 14, 14, move},
        {IdDown, ControlKind::PushButton, u"7", 42, 14, 14, 14, move},
        {IdRight, ControlKind::PushButton, u"8", 56, 14, 14, 14, move},
        {IdInputPanel, ControlKind::PushButton, u"9", 56, 0, 14, 14, move},
    };
    return t;
}

WindowMover::WindowMover(std::u16string_view title, std::u16string_view className)
    : m_title(title), m_className(className) {
    m_dialog = platform::Dialog::CreateModeless(Template(), *this, nullptr);
}

WindowMover::~WindowMover() {
    if (platform::Dialog* dialog = GetDialog())
        dialog->Destroy();
}

platform::Dialog* WindowMover::GetDialog() const {
    if (!m_dialog)
        return nullptr;
    for (platform::Window* w : platform::TopLevelWindows())
        if (platform::Dialog::FromWindow(w) == m_dialog)
            return m_dialog;
    return nullptr;
}

platform::Window* WindowMover::Target() const {
    return IsLive(m_target, m_className, m_title) ? m_target : nullptr;
}

bool WindowMover::OnInit(platform::Dialog& dialog) {
    for (size_t i = 0; i < m_bitmaps.size(); ++i)
        m_bitmaps[i] = platform::Bitmap::LoadResource(FirstBitmapId + static_cast<int>(i));
    dialog.SetTimer(SearchTimer, SearchPeriodMs);
    platform::Window& window = dialog.GetWindow();
    const platform::Rect r = window.GetRect();
    const int x = platform::WorkArea().Width() - r.Width();
    window.Move({x, 0, x + r.Width(), r.Height()});
    dialog.Enable(IdInputPanel, platform::InputPanelAvailable());
    return true;
}

void WindowMover::OnTimer(platform::Dialog& dialog, int id) {
    if (id != SearchTimer)
        return;
    platform::Window* found = platform::FindWindow(m_className, m_title);
    if (!found || found == &dialog.GetWindow())
        return;
    dialog.KillTimer(SearchTimer);
    m_target = found;
    EnableMoves(dialog, true);
    // The dialog opened after us; stay on top of it.
    dialog.GetWindow().BringToFront();
}

void WindowMover::OnCommand(platform::Dialog& dialog, int id, platform::Notification notification) {
    if (notification != platform::Notification::Clicked)
        return;
    if (id >= IdTopLeft && id <= IdRight)
        MoveTarget(dialog, id);
    else if (id == IdInputPanel)
        ToggleInputPanel();
}

void WindowMover::MoveTarget(platform::Dialog& dialog, int id) {
    platform::Window* target = Target();
    if (!target) {
        m_target = nullptr;
        platform::MessageBox(&dialog.GetWindow(), u"Das Fenster ist nicht mehr gültig!", u"Fehler",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Error);
        EnableMoves(dialog, false);
        return;
    }
    const platform::Rect r = target->GetRect();
    const platform::Rect screen = platform::WorkArea();
    const int width = r.Width();
    const int height = r.Height();
    int x = r.left;
    int y = r.top;
    switch (id) {
    case IdTopLeft:
        x = 0, y = 0;
        break;
    case IdTopRight:
        x = screen.Width() - width, y = 0;
        break;
    case IdBottomLeft:
        x = 0, y = screen.Height() - height;
        break;
    case IdBottomRight:
        x = screen.Width() - width, y = screen.Height() - height;
        break;
    case IdLeft:
        x -= Nudge;
        break;
    case IdUp:
        y -= Nudge;
        break;
    case IdDown:
        y += Nudge;
        break;
    case IdRight:
        x += Nudge;
        break;
    default:
        return;
    }
    // No clamping: the user may want the dialog partly off screen.
    target->Move({x, y, x + width, y + height});
}

void WindowMover::ToggleInputPanel() {
    platform::InputPanelInfo info;
    if (platform::GetInputPanelInfo(info))
        platform::ShowInputPanel(!(info.flags & platform::InputPanelFlag::On));
}

void WindowMover::EnableMoves(platform::Dialog& dialog, bool enabled) {
    for (int i = 0; i < MoveButtons; ++i)
        dialog.Enable(IdTopLeft + i, enabled);
}

void WindowMover::OnDrawItem(platform::Dialog&, int id, platform::Canvas& canvas,
                             const platform::Rect& rect, platform::DrawItemState state) {
    const bool pressed = state.pressed && !state.disabled;
    canvas.DrawEdge(rect, pressed ? platform::EdgeStyle::Sunken : platform::EdgeStyle::Raised);
    canvas.FillRect(rect.Inflate(-EdgeWidth, -EdgeWidth), ButtonFace);
    const int index = id - IdTopLeft + (state.disabled ? 9 : 0);
    if (index < 0 || index >= static_cast<int>(m_bitmaps.size()) || !m_bitmaps[index])
        return;
    const platform::Bitmap& bitmap = *m_bitmaps[index];
    const int shift = pressed ? 1 : 0;
    const int x = rect.left + BorderWidth + 1 + shift;
    const int y = rect.top + BorderWidth + 1 + shift;
    canvas.TransparentBlt({x, y, x + BitmapSize, y + BitmapSize}, bitmap,
                          {0, 0, BitmapSize, BitmapSize}, KeyColor);
}

void WindowMover::OnClose(platform::Dialog& dialog) {
    dialog.Destroy();
    m_dialog = nullptr;
}

} // namespace velvane
