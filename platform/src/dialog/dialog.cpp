#include "platform/dialog.h"
#include "dialog_control.h"
#include "platform/error.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <algorithm>

namespace platform {

using namespace dialog_look;

namespace {

constexpr size_t EditLimit = 1024;

std::vector<Dialog*>& LiveDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

// Modeless dialogs whose window has gone, deleted at the next turn of the
// loop; kept here until then so that nothing is lost if no turn comes.
std::vector<std::unique_ptr<Dialog>>& Retired() {
    static std::vector<std::unique_ptr<Dialog>> retired;
    return retired;
}

std::string Quoted(std::u16string_view s) {
    return "\"" + QuoteForTranscript(s) + "\"";
}

bool ClickTopmost(int id) {
    Dialog* d = Dialog::Topmost();
    return d && d->Click(id);
}

} // namespace

// Bridges the dialog's window to the dialog.
class Dialog::Host : public WindowHandler {
public:
    explicit Host(Dialog& d) : m_dialog(d) {}
    void OnPaint(Window&, Canvas& canvas) override { m_dialog.Paint(canvas); }
    void OnClose(Window&) override { m_dialog.m_handler.OnClose(m_dialog); }
    void OnKeyDown(Window&, int key) override { m_dialog.OnKey(key); }
    void OnTap(Window&, int x, int y) override { m_dialog.OnTap(x, y); }
    void OnChar(Window&, char16_t c) override { m_dialog.OnChar(c); }
    void OnTimer(Window&, int id) override { m_dialog.m_handler.OnTimer(m_dialog, id); }
    void OnDestroy(Window&) override {
        m_dialog.m_window = nullptr;
        if (!m_dialog.m_ended) {
            m_dialog.m_ended = true;
            m_dialog.m_result = 0;
        }
        if (!m_dialog.m_modal) {
            Retired().emplace_back(&m_dialog);
            PostTask([] { Retired().clear(); });
        }
    }

private:
    Dialog& m_dialog;
};

void DialogHandler::OnClose(Dialog& dialog) {
    dialog.End(IdCancel);
}

int PointsToPixels(int points) {
    return (points * 96 + 36) / 72;
}

Dialog::Dialog(const DialogTemplate& tmpl, DialogHandler& handler)
    : m_template(tmpl), m_handler(handler), m_host(std::make_unique<Host>(*this)) {}

Dialog::~Dialog() {
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (m_window) {
        Window* w = m_window;
        m_window = nullptr;
        m_ended = true;
        w->Destroy();
    }
}

bool Dialog::Build(Window* owner, bool modal) {
    m_modal = modal;
    m_font = Font::Create(-PointsToPixels(m_template.fontPoints), 0, m_template.fontFace);
    {
        auto probe = Canvas::Create(1, 1);
        if (!probe)
            return false;
        probe->SelectFont(m_font);
        Size letters =
            probe->GetTextExtent(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        m_baseX = std::max(1, (letters.cx / 26 + 1) / 2);
        m_baseY = std::max(1, probe->GetTextMetrics().height);
    }
    const bool caption = !(m_template.style & DialogStyle::NoCaption);
    m_captionHeight = !caption                                       ? 0
                      : (m_template.style & DialogStyle::ToolWindow) ? m_baseY + 2
                                                                     : m_baseY + 6;
    const int border = 1;
    int width = UnitsToPixelsX(m_template.cx) + 2 * border;
    int height = UnitsToPixelsY(m_template.cy) + 2 * border + m_captionHeight;
    Rect screen = WorkArea();
    int x = UnitsToPixelsX(m_template.x);
    int y = UnitsToPixelsY(m_template.y);
    if ((m_template.style & DialogStyle::Centered) || (m_template.x == 0 && m_template.y == 0)) {
        x = (screen.Width() - width) / 2;
        y = (screen.Height() - height) / 2;
    }
    for (const auto& ct : m_template.controls) {
        Control c;
        c.t = ct;
        c.rect = {border + UnitsToPixelsX(ct.x), border + m_captionHeight + UnitsToPixelsY(ct.y),
                  border + UnitsToPixelsX(ct.x + ct.cx),
                  border + m_captionHeight + UnitsToPixelsY(ct.y + ct.cy)};
        c.enabled = !(ct.style & ControlStyle::Disabled);
        c.visible = !(ct.style & ControlStyle::Hidden);
        m_controls.push_back(std::move(c));
    }
    for (auto& c : m_controls) {
        if (c.t.kind == ControlKind::Edit && c.enabled && c.visible) {
            m_focus = c.t.id;
            break;
        }
    }
    if (!IsClassRegistered(m_template.className)) {
        SetLastError(ErrorCode::InvalidParameter,
                     "window class \"" + ToUtf8(m_template.className) + "\" is not registered");
        return false;
    }
    WindowOptions options;
    options.className = m_template.className;
    options.title = m_template.caption;
    options.rect = {x, y, x + width, y + height};
    options.style = (m_template.style & DialogStyle::NoCaption)    ? WindowStyle::NoCaption
                    : (m_template.style & DialogStyle::ToolWindow) ? WindowStyle::ToolWindow
                                                                   : WindowStyle::NoCaption;
    options.owner = owner;
    m_window = Window::Create(options, *m_host);
    if (!m_window)
        return false;
    LiveDialogs().push_back(this);
    headless::SetClickHandler(ClickTopmost);
    TranscriptWrite("dialog open title=" + Quoted(m_template.caption) +
                    " template=" + std::to_string(m_template.resourceId));
    if (!m_handler.OnInit(*this)) {
        End(IdCancel);
        return true;
    }
    m_window->Invalidate();
    return true;
}

int Dialog::RunModal(const DialogTemplate& tmpl, DialogHandler& handler, Window* owner) {
    std::unique_ptr<Dialog> dialog(new Dialog(tmpl, handler));
    if (!dialog->Build(owner, true)) {
        if (!dialog->m_window)
            return IdCancel;
    }
    while (!dialog->m_ended) {
        if (!WaitAndPump()) {
            // The program is quitting: the dialog goes with it.
            if (!dialog->m_ended)
                dialog->End(IdCancel);
            break;
        }
    }
    return dialog->m_result;
}

Dialog* Dialog::CreateModeless(const DialogTemplate& tmpl, DialogHandler& handler, Window* owner) {
    auto* dialog = new Dialog(tmpl, handler);
    if (!dialog->Build(owner, false)) {
        delete dialog;
        return nullptr;
    }
    return dialog;
}

Dialog* Dialog::FromWindow(Window* window) {
    for (Dialog* d : LiveDialogs())
        if (d->m_window == window && window)
            return d;
    return nullptr;
}

Dialog* Dialog::Topmost() {
    auto windows = TopLevelWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->IsVisible())
            if (Dialog* d = FromWindow(*it))
                return d;
    return nullptr;
}

void Dialog::End(int result) {
    if (m_ended)
        return;
    m_ended = true;
    m_result = result;
    TranscriptWrite("dialog close title=" + Quoted(m_template.caption) + " template=" +
                    std::to_string(m_template.resourceId) + " result=" + std::to_string(result));
    if (m_window) {
        Window* w = m_window;
        w->Destroy(); // modeless dialogs are deleted after their window
    }
}

void Dialog::Destroy() {
    End(0);
}

Dialog::Control* Dialog::Find(int id) {
    for (auto& c : m_controls)
        if (c.t.id == id && id != -1)
            return &c;
    return nullptr;
}

const Dialog::Control* Dialog::Find(int id) const {
    return const_cast<Dialog*>(this)->Find(id);
}

bool Dialog::HasControl(int id) const {
    return Find(id) != nullptr;
}

void Dialog::SetText(int id, std::u16string_view text) {
    if (Control* c = Find(id)) {
        c->t.text = text;
        Invalidate();
    }
}

std::u16string Dialog::GetText(int id) const {
    const Control* c = Find(id);
    return c ? c->t.text : std::u16string();
}

void Dialog::Enable(int id, bool enabled) {
    if (Control* c = Find(id); c && c->enabled != enabled) {
        c->enabled = enabled;
        Invalidate();
    }
}

bool Dialog::IsEnabled(int id) const {
    const Control* c = Find(id);
    return c && c->enabled;
}

void Dialog::Show(int id, bool visible) {
    if (Control* c = Find(id); c && c->visible != visible) {
        c->visible = visible;
        Invalidate();
    }
}

bool Dialog::IsShown(int id) const {
    const Control* c = Find(id);
    return c && c->visible;
}

Rect Dialog::ControlRect(int id) const {
    const Control* c = Find(id);
    return c ? c->rect : Rect{};
}

void Dialog::SetControlId(int id, int newId) {
    if (Control* c = Find(id)) {
        c->t.id = newId;
        if (m_focus == id)
            m_focus = newId;
    }
}

void Dialog::SetFocus(int id) {
    if (Find(id)) {
        m_focus = id;
        Invalidate();
    }
}

void Dialog::Notify(int id, Notification n) {
    m_handler.OnCommand(*this, id, n);
}

void Dialog::CheckRadio(Control& chosen) {
    // The group runs from the last control with the Group style before it to
    // the next one.
    auto it = std::find_if(m_controls.begin(), m_controls.end(),
                           [&](Control& c) { return &c == &chosen; });
    auto first = it;
    while (first != m_controls.begin() && !(first->t.style & ControlStyle::Group))
        --first;
    for (auto c = first; c != m_controls.end(); ++c) {
        if (c != first && (c->t.style & ControlStyle::Group))
            break;
        if (c->t.kind == ControlKind::RadioButton)
            c->checked = false;
    }
    chosen.checked = true;
}

bool Dialog::Click(int id) {
    Control* c = Find(id);
    if (!c || !c->enabled || !c->visible || m_ended)
        return false;
    switch (c->t.kind) {
    case ControlKind::RadioButton:
        CheckRadio(*c);
        break;
    case ControlKind::CheckBox:
        c->checked = !c->checked;
        break;
    case ControlKind::Edit:
        m_focus = id;
        Invalidate();
        Notify(id, Notification::EditFocus);
        return true;
    case ControlKind::PushButton:
        break;
    default:
        return false;
    }
    Invalidate();
    Notify(id, Notification::Clicked);
    return true;
}

void Dialog::Check(int id, bool checked) {
    if (Control* c = Find(id)) {
        if (checked && c->t.kind == ControlKind::RadioButton)
            CheckRadio(*c);
        else
            c->checked = checked;
        Invalidate();
    }
}

bool Dialog::IsChecked(int id) const {
    const Control* c = Find(id);
    return c && c->checked;
}

int Dialog::AddString(int id, std::u16string_view text) {
    Control* c = Find(id);
    if (!c)
        return -1;
    int index = static_cast<int>(c->items.size());
    if (c->t.style & ControlStyle::Sort) {
        auto pos = std::find_if(c->items.begin(), c->items.end(), [&](auto& item) {
            // Sorted as the device does: case-insensitive.
            std::u16string a = item.first, b(text);
            for (auto& ch : a)
                ch = AsciiLower(ch);
            for (auto& ch : b)
                ch = AsciiLower(ch);
            return b < a;
        });
        index = static_cast<int>(pos - c->items.begin());
    }
    return InsertString(id, index, text);
}

int Dialog::InsertString(int id, int index, std::u16string_view text) {
    Control* c = Find(id);
    if (!c)
        return -1;
    if (index < 0 || index > static_cast<int>(c->items.size()))
        index = static_cast<int>(c->items.size());
    c->items.insert(c->items.begin() + index, {std::u16string(text), 0});
    if (c->selection >= index)
        ++c->selection;
    Invalidate();
    return index;
}

bool Dialog::DeleteString(int id, int index) {
    Control* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return false;
    c->items.erase(c->items.begin() + index);
    if (c->selection == index)
        c->selection = -1;
    else if (c->selection > index)
        --c->selection;
    c->top = std::min(c->top, std::max(0, static_cast<int>(c->items.size()) - 1));
    Invalidate();
    return true;
}

void Dialog::ResetContent(int id) {
    if (Control* c = Find(id)) {
        c->items.clear();
        c->selection = -1;
        c->top = 0;
        Invalidate();
    }
}

int Dialog::GetCount(int id) const {
    const Control* c = Find(id);
    return c ? static_cast<int>(c->items.size()) : 0;
}

std::u16string Dialog::GetItemText(int id, int index) const {
    const Control* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return {};
    return c->items[index].first;
}

void Dialog::SetItemData(int id, int index, intptr_t data) {
    Control* c = Find(id);
    if (c && index >= 0 && index < static_cast<int>(c->items.size()))
        c->items[index].second = data;
}

intptr_t Dialog::GetItemData(int id, int index) const {
    const Control* c = Find(id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size()))
        return 0;
    return c->items[index].second;
}

int Dialog::GetCurSel(int id) const {
    const Control* c = Find(id);
    return c ? c->selection : -1;
}

void Dialog::SetCurSel(int id, int index) {
    Control* c = Find(id);
    if (!c)
        return;
    c->selection = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
    if (c->selection >= 0) {
        // Keep the selection in view.
        int rows = std::max(1, (c->rect.Height() - 4) / m_baseY);
        if (c->selection < c->top)
            c->top = c->selection;
        else if (c->selection >= c->top + rows)
            c->top = c->selection - rows + 1;
    }
    Invalidate();
}

void Dialog::SetHorizontalExtent(int id, int pixels) {
    if (Control* c = Find(id))
        c->horizontalExtent = pixels;
}

int Dialog::TopIndex(int id) const {
    const Control* c = Find(id);
    return c ? c->top : 0;
}

void Dialog::SetTimer(int timerId, uint32_t periodMs) {
    if (m_window)
        m_window->SetTimer(timerId, periodMs);
}

void Dialog::KillTimer(int timerId) {
    if (m_window)
        m_window->KillTimer(timerId);
}

void Dialog::OnTap(int x, int y) {
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        Control& c = *it;
        if (!c.visible || !c.rect.Contains(x, y) || c.t.kind == ControlKind::Static ||
            c.t.kind == ControlKind::GroupBox)
            continue;
        if (!c.enabled)
            return;
        if (c.t.kind != ControlKind::ListBox) {
            Click(c.t.id);
            return;
        }
        int count = static_cast<int>(c.items.size());
        int rows = std::max(1, (c.rect.Height() - 4) / m_baseY);
        if ((c.t.style & ControlStyle::VScroll) && x >= c.rect.right - ScrollBarWidth) {
            int middle = (c.rect.top + c.rect.bottom) / 2;
            int step =
                (y < c.rect.top + ScrollBarWidth || y >= c.rect.bottom - ScrollBarWidth) ? 1 : rows;
            c.top += y < middle ? -step : step;
            c.top = std::clamp(c.top, 0, std::max(0, count - rows));
            Invalidate();
            return;
        }
        int index = c.top + (y - c.rect.top - 2) / m_baseY;
        if (index >= 0 && index < count) {
            c.selection = index;
            Invalidate();
            if (c.t.style & ControlStyle::Notify)
                Notify(c.t.id, Notification::SelectionChanged);
        }
        return;
    }
}

void Dialog::OnKey(int key) {
    if (key == vk::Return) {
        for (auto& c : m_controls)
            if ((c.t.style & ControlStyle::Default) && c.enabled && c.visible) {
                Click(c.t.id);
                return;
            }
        if (Find(IdOk))
            Click(IdOk);
    } else if (key == vk::Escape) {
        if (Control* c = Find(IdCancel); c && c->enabled)
            Click(IdCancel);
        else
            m_handler.OnClose(*this);
    } else if (key == vk::Back) {
        OnChar(8);
    } else if (key == vk::Up || key == vk::Down) {
        Control* c = Find(m_focus);
        if (c && c->t.kind == ControlKind::ListBox && !c->items.empty()) {
            int next = std::clamp(c->selection + (key == vk::Up ? -1 : 1), 0,
                                  static_cast<int>(c->items.size()) - 1);
            SetCurSel(c->t.id, next);
            if (c->t.style & ControlStyle::Notify)
                Notify(c->t.id, Notification::SelectionChanged);
        }
    } else if (key == vk::Tab) {
        // Focus to the next edit or list box.
        std::vector<int> ids;
        for (auto& c : m_controls)
            if ((c.t.kind == ControlKind::Edit || c.t.kind == ControlKind::ListBox) && c.enabled &&
                c.visible)
                ids.push_back(c.t.id);
        if (!ids.empty()) {
            auto it = std::find(ids.begin(), ids.end(), m_focus);
            m_focus = (it == ids.end() || it + 1 == ids.end()) ? ids.front() : *(it + 1);
            Invalidate();
        }
    }
}

void Dialog::OnChar(char16_t ch) {
    Control* c = Find(m_focus);
    if (!c || c->t.kind != ControlKind::Edit || !c->enabled)
        return;
    if (ch == 8) {
        if (c->t.text.empty())
            return;
        c->t.text.pop_back();
    } else if (ch < 32 || c->t.text.size() >= EditLimit) {
        return;
    } else {
        c->t.text += ch;
    }
    Invalidate();
    Notify(c->t.id, Notification::EditChanged);
}

void Beep() {
    TranscriptWrite("beep");
}

} // namespace platform
