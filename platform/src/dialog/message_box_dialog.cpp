// Message boxes drawn as our own modal dialogs, for backends with a screen.
#include "message_box_dialog.h"
#include "platform/dialog.h"
#include "platform/host.h"

#include <algorithm>

namespace platform {

namespace {

constexpr int IconId = 100;
constexpr int TextId = 101;

struct Choice {
    int id;
    const char16_t* label;
};

std::vector<Choice> Choices(MessageBoxButtons buttons) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return {{IdOk, u"OK"}};
    case MessageBoxButtons::OkCancel:
        return {{IdOk, u"OK"}, {IdCancel, u"Abbrechen"}};
    case MessageBoxButtons::YesNo:
        return {{IdYes, u"Ja"}, {IdNo, u"Nein"}};
    case MessageBoxButtons::YesNoCancel:
        return {{IdYes, u"Ja"}, {IdNo, u"Nein"}, {IdCancel, u"Abbrechen"}};
    case MessageBoxButtons::RetryCancel:
        return {{IdRetry, u"Wiederholen"}, {IdCancel, u"Abbrechen"}};
    }
    return {{IdOk, u"OK"}};
}

class BoxHandler : public DialogHandler {
public:
    BoxHandler(MessageBoxButtons buttons, MessageBoxIcon icon) : m_buttons(buttons), m_icon(icon) {}
    void OnCommand(Dialog& d, int id, Notification n) override {
        if (n == Notification::Clicked && id != IconId)
            d.End(id);
    }
    // Escape or the close box: Cancel or No where offered, else OK.
    void OnClose(Dialog& d) override { d.End(DefaultAnswer(m_buttons)); }
    void OnDrawItem(Dialog&, int, Canvas& canvas, const Rect& r, DrawItemState) override {
        if (m_icon == MessageBoxIcon::None)
            return;
        Color fill = m_icon == MessageBoxIcon::Error         ? Rgb(200, 0, 0)
                     : m_icon == MessageBoxIcon::Exclamation ? Rgb(240, 200, 0)
                                                             : Rgb(0, 70, 200);
        const char16_t* glyph = m_icon == MessageBoxIcon::Error         ? u"X"
                                : m_icon == MessageBoxIcon::Question    ? u"?"
                                : m_icon == MessageBoxIcon::Exclamation ? u"!"
                                                                        : u"i";
        canvas.SelectPen(Pen::Solid(1, Rgb(0, 0, 0)));
        canvas.SelectBrush(Brush::Solid(fill));
        canvas.Ellipse(r.left, r.top, r.right, r.bottom);
        canvas.SelectFont(Font::Create(r.Height() * 3 / 4, 700, u"Arial"));
        canvas.SetBackgroundMode(BackgroundMode::Transparent);
        canvas.SetTextColor(m_icon == MessageBoxIcon::Exclamation ? Rgb(0, 0, 0)
                                                                  : Rgb(255, 255, 255));
        Rect text = r;
        canvas.DrawText(glyph, text, TextFlag::Center | TextFlag::VCenter | TextFlag::SingleLine);
    }

private:
    MessageBoxButtons m_buttons;
    MessageBoxIcon m_icon;
};

} // namespace

int ShowMessageBoxDialog(Window* owner, std::u16string_view text, std::u16string_view caption,
                         MessageBoxButtons buttons, MessageBoxIcon icon) {
    const std::u16string face = u"Arial";
    const int points = 9;
    // Dialog units of this font, to lay the box out around its text.
    auto probe = Canvas::Create(1, 1);
    if (!probe)
        return DefaultAnswer(buttons);
    probe->SelectFont(Font::Create(-PointsToPixels(points), 0, face));
    Size letters = probe->GetTextExtent(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = std::max(1, (letters.cx / 26 + 1) / 2);
    const int baseY = std::max(1, probe->GetTextMetrics().height);
    auto unitsX = [&](int px) { return (px * 4 + baseX - 1) / baseX; };
    auto unitsY = [&](int px) { return (px * 8 + baseY - 1) / baseY; };

    const Rect screen = WorkArea();
    int maxWidth = std::max(100, std::min(screen.Width() - 80, 360));
    Rect measured{0, 0, maxWidth, 0};
    probe->DrawText(text, measured, TextFlag::CalcRect | TextFlag::WordBreak | TextFlag::NoPrefix);
    const auto choices = Choices(buttons);
    const int iconUnits = icon == MessageBoxIcon::None ? 0 : 24;
    const int textX = 6 + iconUnits;
    const int textCx = unitsX(measured.Width()) + 2;
    const int textCy = std::max(unitsY(measured.Height()) + 1, iconUnits ? 20 : 8);
    const int buttonCx = 46, buttonCy = 14, gap = 4;
    const int rowCx = static_cast<int>(choices.size()) * (buttonCx + gap) - gap;
    const int cx = std::max(textX + textCx + 6, rowCx + 12);

    DialogTemplate t;
    t.caption = std::u16string(caption);
    t.fontFace = face;
    t.fontPoints = points;
    t.cx = cx;
    t.cy = 6 + textCy + 6 + buttonCy + 6;
    t.style = DialogStyle::Centered;
    if (iconUnits)
        t.controls.push_back({IconId, ControlKind::PushButton, u"", 6, 6, 20, 20,
                              ControlStyle::OwnerDraw | ControlStyle::Disabled});
    t.controls.push_back(
        {TextId, ControlKind::Static, std::u16string(text), textX, 6, textCx, textCy, 0});
    int x = (cx - rowCx) / 2;
    for (size_t i = 0; i < choices.size(); ++i) {
        t.controls.push_back({choices[i].id, ControlKind::PushButton, choices[i].label, x,
                              6 + textCy + 6, buttonCx, buttonCy,
                              i == 0 ? ControlStyle::Default : 0u});
        x += buttonCx + gap;
    }
    BoxHandler handler(buttons, icon);
    return Dialog::RunModal(t, handler, owner);
}

} // namespace platform
