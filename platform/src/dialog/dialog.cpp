#include "platform/dialog.h"
#include "dialog_control.h"
#include "list_box_control.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <algorithm>

namespace platform {

using namespace dialog_look;

namespace {

std::vector<Dialog*>& LiveDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

std::string Quoted(std::u16string_view s) {
    return "\"" + QuoteForTranscript(s) + "\"";
}

} // namespace

// Bridges the dialog's window and its controls to the dialog.
class Dialog::Host : public WindowHandler, public ControlSite {
public:
    explicit Host(Dialog& d) : m_dialog(d) {}

    void OnPaint(Window&, Canvas& canvas) override { m_dialog.Paint(canvas); }
    void OnClose(Window&) override { m_dialog.m_handler.OnClose(m_dialog); }
    void OnKeyDown(Window&, int key) override { m_dialog.OnKey(key); }
    void OnTap(Window&, int x, int y) override { m_dialog.OnTap(x, y); }
    void OnChar(Window&, char16_t c) override { m_dialog.OnChar(c); }
    void OnTimer(Window&, int id) override { m_dialog.m_handler.OnTimer(m_dialog, id); }
    void OnDestroy(Window&) override {
        if (!m_dialog.m_window)
            return; // the dialog is being deleted and takes its window along
        m_dialog.m_window = nullptr;
        m_dialog.Unlist();
        if (!m_dialog.m_ended) {
            m_dialog.m_ended = true;
            m_dialog.m_result = 0;
        }
        if (!m_dialog.m_modal) {
            // Deleted at the next turn of the loop, so that whoever ended it
            // may still look at it until then. The task owns it: if the queue
            // is dropped instead, the dialog goes with it.
            std::shared_ptr<Dialog> owned(&m_dialog);
            PostTask([owned]() mutable { owned.reset(); });
        }
    }

    int LineHeight() const override { return m_dialog.m_baseY; }
    bool HasFocus(const DialogControl& c) const override { return m_dialog.m_focus == c.Id(); }
    void SetFocus(DialogControl& c) override {
        m_dialog.m_focus = c.Id();
        Invalidate();
    }
    void Invalidate() override { m_dialog.Invalidate(); }
    bool Click(DialogControl& c) override { return m_dialog.ClickControl(c); }
    bool Notify(int id, Notification n) override { return m_dialog.Notify(id, n); }
    void DrawItem(int id, Canvas& canvas, const Rect& rect, DrawItemState state) override {
        m_dialog.m_handler.OnDrawItem(m_dialog, id, canvas, rect, state);
    }
    void UncheckGroup(DialogControl& c) override { m_dialog.UncheckGroup(c); }

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
    if (m_window) {
        Window* w = m_window;
        m_window = nullptr;
        m_ended = true;
        Unlist();
        w->Destroy();
    }
}

void Dialog::Unlist() {
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
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
        Rect rect{border + UnitsToPixelsX(ct.x), border + m_captionHeight + UnitsToPixelsY(ct.y),
                  border + UnitsToPixelsX(ct.x + ct.cx),
                  border + m_captionHeight + UnitsToPixelsY(ct.y + ct.cy)};
        m_controls.push_back(DialogControl::Make(ct, rect));
    }
    for (auto& c : m_controls) {
        if (c->TakesText() && c->IsEnabled() && c->IsVisible()) {
            m_focus = c->Id();
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
    TranscriptWrite("dialog open title=" + Quoted(m_template.caption) +
                    " template=" + std::to_string(m_template.resourceId));
    Lifetime::Watch watch(m_life);
    const bool accepted = m_handler.OnInit(*this);
    if (watch.Ended())
        return false;
    if (!accepted) {
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
    Lifetime::Watch watch(dialog->m_life);
    if (!dialog->Build(owner, false)) {
        if (!watch.Ended())
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

DialogControl* Dialog::Find(int id) {
    if (id == -1)
        return nullptr;
    for (auto& c : m_controls)
        if (c->Id() == id)
            return c.get();
    return nullptr;
}

const DialogControl* Dialog::Find(int id) const {
    return const_cast<Dialog*>(this)->Find(id);
}

ListBoxControl* Dialog::FindList(int id) {
    return dynamic_cast<ListBoxControl*>(Find(id));
}

const ListBoxControl* Dialog::FindList(int id) const {
    return dynamic_cast<const ListBoxControl*>(Find(id));
}

bool Dialog::HasControl(int id) const {
    return Find(id) != nullptr;
}

void Dialog::SetText(int id, std::u16string_view text) {
    if (DialogControl* c = Find(id)) {
        c->SetText(text);
        Invalidate();
    }
}

std::u16string Dialog::GetText(int id) const {
    const DialogControl* c = Find(id);
    return c ? c->Text() : std::u16string();
}

void Dialog::Enable(int id, bool enabled) {
    if (DialogControl* c = Find(id); c && c->IsEnabled() != enabled) {
        c->SetEnabled(enabled);
        Invalidate();
    }
}

bool Dialog::IsEnabled(int id) const {
    const DialogControl* c = Find(id);
    return c && c->IsEnabled();
}

void Dialog::Show(int id, bool visible) {
    if (DialogControl* c = Find(id); c && c->IsVisible() != visible) {
        c->SetVisible(visible);
        Invalidate();
    }
}

bool Dialog::IsShown(int id) const {
    const DialogControl* c = Find(id);
    return c && c->IsVisible();
}

Rect Dialog::ControlRect(int id) const {
    const DialogControl* c = Find(id);
    return c ? c->GetRect() : Rect{};
}

void Dialog::SetControlId(int id, int newId) {
    if (DialogControl* c = Find(id)) {
        c->SetId(newId);
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

bool Dialog::Notify(int id, Notification n) {
    Lifetime::Watch watch(m_life);
    m_handler.OnCommand(*this, id, n);
    return !watch.Ended();
}

void Dialog::UncheckGroup(DialogControl& chosen) {
    // The group runs from the last control with the Group style up to the
    // chosen one, to the next control with the Group style.
    auto it = std::find_if(m_controls.begin(), m_controls.end(),
                           [&](auto& c) { return c.get() == &chosen; });
    auto first = it;
    while (first != m_controls.begin() && !(*first)->HasStyle(ControlStyle::Group))
        --first;
    for (auto c = first; c != m_controls.end(); ++c) {
        if (c != first && (*c)->HasStyle(ControlStyle::Group))
            break;
        if ((*c)->Kind() == ControlKind::RadioButton)
            (*c)->SetChecked(*m_host, false);
    }
}

bool Dialog::ClickControl(DialogControl& c) {
    if (c.Id() == -1 || !c.IsEnabled() || !c.IsVisible() || m_ended)
        return false;
    return c.Click(*m_host);
}

bool Dialog::Click(int id) {
    DialogControl* c = Find(id);
    return c && ClickControl(*c);
}

void Dialog::Check(int id, bool checked) {
    if (DialogControl* c = Find(id)) {
        c->SetChecked(*m_host, checked);
        Invalidate();
    }
}

bool Dialog::IsChecked(int id) const {
    const DialogControl* c = Find(id);
    return c && c->IsChecked();
}

int Dialog::AddString(int id, std::u16string_view text) {
    ListBoxControl* list = FindList(id);
    return list ? InsertString(id, list->SortedPosition(text), text) : -1;
}

int Dialog::InsertString(int id, int index, std::u16string_view text) {
    ListBoxControl* list = FindList(id);
    if (!list)
        return -1;
    index = list->Insert(index, text);
    Invalidate();
    return index;
}

bool Dialog::DeleteString(int id, int index) {
    ListBoxControl* list = FindList(id);
    if (!list || !list->Delete(index))
        return false;
    Invalidate();
    return true;
}

void Dialog::ResetContent(int id) {
    if (ListBoxControl* list = FindList(id)) {
        list->Clear();
        Invalidate();
    }
}

int Dialog::GetCount(int id) const {
    const ListBoxControl* list = FindList(id);
    return list ? list->Count() : 0;
}

std::u16string Dialog::GetItemText(int id, int index) const {
    const ListBoxControl* list = FindList(id);
    return list ? list->ItemText(index) : std::u16string();
}

void Dialog::SetItemData(int id, int index, intptr_t data) {
    if (ListBoxControl* list = FindList(id))
        list->SetItemData(index, data);
}

intptr_t Dialog::GetItemData(int id, int index) const {
    const ListBoxControl* list = FindList(id);
    return list ? list->ItemData(index) : 0;
}

int Dialog::GetCurSel(int id) const {
    const ListBoxControl* list = FindList(id);
    return list ? list->Selection() : -1;
}

void Dialog::SetCurSel(int id, int index) {
    if (ListBoxControl* list = FindList(id))
        list->Select(*m_host, index);
}

void Dialog::SetHorizontalExtent(int id, int pixels) {
    if (ListBoxControl* list = FindList(id))
        list->SetHorizontalExtent(pixels);
}

int Dialog::TopIndex(int id) const {
    const ListBoxControl* list = FindList(id);
    return list ? list->TopIndex() : 0;
}

void Dialog::SetTimer(int timerId, uint32_t periodMs) {
    if (m_window)
        m_window->SetTimer(timerId, periodMs);
}

void Dialog::KillTimer(int timerId) {
    if (m_window)
        m_window->KillTimer(timerId);
}

void Dialog::Paint(Canvas& canvas) {
    CanvasStateSaver saver(canvas);
    const int w = canvas.Width(), h = canvas.Height();
    canvas.FillRect({0, 0, w, h}, Face);
    canvas.SelectPen(Pen::Solid(1, Rgb(64, 64, 64)));
    canvas.SelectBrush(Brush::Null());
    canvas.Rectangle(0, 0, w, h);
    canvas.SelectFont(m_font);
    canvas.SetBackgroundMode(BackgroundMode::Transparent);
    if (m_captionHeight > 0) {
        Rect bar{1, 1, w - 1, 1 + m_captionHeight};
        canvas.FillRect(bar, Caption);
        canvas.SelectFont(
            Font::Create(-PointsToPixels(m_template.fontPoints), 700, m_template.fontFace));
        canvas.SetTextColor(CaptionText);
        Rect text = bar.Inflate(-4, 0);
        canvas.DrawText(m_template.caption, text,
                        TextFlag::Left | TextFlag::VCenter | TextFlag::SingleLine |
                            TextFlag::NoPrefix);
        canvas.SelectFont(m_font);
    }
    Lifetime::Watch watch(m_life);
    for (size_t i = 0; i < m_controls.size(); ++i) {
        DialogControl& c = *m_controls[i];
        if (!c.IsVisible())
            continue;
        CanvasStateSaver control(canvas);
        canvas.SetTextColor(c.IsEnabled() ? TextColor : GrayText);
        c.Paint(*m_host, canvas);
        if (watch.Ended())
            return; // an owner-drawn control's handler did away with the dialog
    }
}

void Dialog::OnTap(int x, int y) {
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        DialogControl& c = **it;
        if (!c.IsVisible() || !c.TakesTaps() || !c.GetRect().Contains(x, y))
            continue;
        if (c.IsEnabled())
            c.Tap(*m_host, x, y);
        return;
    }
}

void Dialog::OnKey(int key) {
    if (key == vk::Return) {
        for (auto& c : m_controls)
            if (c->HasStyle(ControlStyle::Default) && c->IsEnabled() && c->IsVisible()) {
                Click(c->Id());
                return;
            }
        if (Find(IdOk))
            Click(IdOk);
    } else if (key == vk::Escape) {
        if (DialogControl* c = Find(IdCancel); c && c->IsEnabled())
            Click(IdCancel);
        else
            m_handler.OnClose(*this);
    } else if (key == vk::Tab) {
        // Focus to the next edit or list box.
        std::vector<int> ids;
        for (auto& c : m_controls)
            if (c->TakesFocus() && c->IsEnabled() && c->IsVisible())
                ids.push_back(c->Id());
        if (!ids.empty()) {
            auto it = std::find(ids.begin(), ids.end(), m_focus);
            m_focus = (it == ids.end() || it + 1 == ids.end()) ? ids.front() : *(it + 1);
            Invalidate();
        }
    } else if (DialogControl* c = Find(m_focus); c && c->IsEnabled()) {
        c->Key(*m_host, key);
    }
}

void Dialog::OnChar(char16_t ch) {
    if (DialogControl* c = Find(m_focus); c && c->IsEnabled())
        c->Char(*m_host, ch);
}

void Beep() {
    TranscriptWrite("beep");
}

} // namespace platform
