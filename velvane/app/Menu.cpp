#include "app/Menu.h"

#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/window.h"

#include <algorithm>

namespace velvane {

using platform::Rect;

Menu::Menu(Screen* screen, int width, int height, std::u16string_view stylePath)
    : Component(*screen, width, height), m_style(std::make_unique<MenuStyle>()) {
    if (!stylePath.empty())
        m_style->Load(stylePath);
}

Menu::Menu(Menu& parent)
    : Component(parent.Owner(), parent.Width(), parent.Height()), m_parent(&parent) {}

Menu::~Menu() = default;

Menu& Menu::Root() {
    Menu* menu = this;
    while (menu->m_parent)
        menu = menu->m_parent;
    return *menu;
}

MenuItem* Menu::Insert(std::unique_ptr<MenuItem> item, size_t position) {
    if (IsOpen())
        Close();
    position = std::min(position, m_items.size());
    MenuItem* raw = item.get();
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(position), std::move(item));
    return raw;
}

MenuItem* Menu::AddCommand(std::u16string_view label, std::unique_ptr<Command> command,
                           bool checked, size_t position) {
    auto item = std::make_unique<MenuItem>();
    item->command = std::move(command);
    item->flags = checked ? 1u : 0u;
    item->label = label;
    return Insert(std::move(item), position);
}

MenuItem* Menu::AddSubmenu(std::u16string_view label, std::unique_ptr<Menu> submenu,
                           size_t position) {
    auto item = std::make_unique<MenuItem>();
    if (submenu)
        submenu->m_parent = this; // whoever made it, it now hangs below this menu
    item->submenu = std::move(submenu);
    item->label = label;
    return Insert(std::move(item), position);
}

void Menu::RemoveItem(MenuItem* item) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [item](const auto& p) { return p.get() == item; });
    if (it == m_items.end())
        return;
    if (IsOpen())
        Close();
    // Out of the list before it dies, so nothing it does on the way out
    // finds itself still listed.
    std::unique_ptr<MenuItem> doomed = std::move(*it);
    m_items.erase(it);
}

void Menu::SetChecked(MenuItem* item, bool on) {
    if (!item)
        return;
    const uint32_t flags = on ? (item->flags | 1u) : (item->flags & ~1u);
    if (flags == item->flags)
        return;
    item->flags = flags;
    RequestRedraw();
}

void Menu::Open() {
    if (IsOpen())
        Close();
    if (!m_items.empty())
        m_hot = 0;
    RequestRedraw();
}

void Menu::Close() {
    if (Menu* submenu = OpenSubmenu())
        submenu->Close();
    m_hot = -1;
    RequestRedraw();
}

void Menu::CloseAll() {
    Root().Close();
}

void Menu::SetHot(int index) {
    if (index == m_hot)
        return;
    if (Menu* submenu = OpenSubmenu())
        submenu->Close();
    m_hot = index;
    RequestRedraw();
}

Menu* Menu::OpenSubmenu() {
    if (m_hot < 0 || static_cast<size_t>(m_hot) >= m_items.size())
        return nullptr;
    Menu* submenu = m_items[m_hot]->submenu.get();
    return submenu && submenu->IsOpen() ? submenu : nullptr;
}

Menu& Menu::Deepest() {
    Menu* menu = this;
    while (Menu* next = menu->OpenSubmenu())
        menu = next;
    return *menu;
}

void Menu::ReloadStyle(std::u16string_view path) {
    Menu& root = Root();
    auto style = std::make_unique<MenuStyle>();
    if (!path.empty())
        style->Load(path);
    root.m_style = std::move(style);
    RequestRedraw();
}

int Menu::Columns() {
    const int n = static_cast<int>(m_items.size());
    return std::max(1, std::min(Style().MaxItemsPerRow(), n));
}

Rect Menu::ItemBox(size_t index, int y0) {
    const MenuStyle& style = Style();
    const int c = Columns();
    const int k = static_cast<int>(index) % c;
    const int r = static_cast<int>(index) / c;
    const int span = Root().Width() - style.Dx();
    Rect box;
    box.left = style.Dx() + k * span / c;
    box.right = (k + 1) * span / c;
    box.top = y0 + style.Dy() + r * style.ItemHeight();
    box.bottom = box.top + style.ItemHeight();
    return box;
}

int Menu::RowsBottom(int y0) {
    const int c = Columns();
    const int rows = (static_cast<int>(m_items.size()) + c - 1) / c;
    return y0 + Style().Dy() + rows * Style().ItemHeight();
}

void Menu::Draw(platform::Canvas& canvas, int originX, int originY) {
    if (!IsOpen())
        return;
    const MenuStyle& style = Style();
    {
        platform::CanvasStateSaver saved(canvas);
        canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
        canvas.SelectPen(style.FramePen());
        canvas.SelectBrush(style.BackgroundBrush());
        canvas.SelectFont(style.NormalFont());
        canvas.SetTextColor(style.TextColor());
        for (size_t i = 0; i < m_items.size(); ++i)
            DrawItem(canvas, *m_items[i], ItemBox(i, originY), static_cast<int>(i) == m_hot);
    }
    if (Menu* submenu = OpenSubmenu())
        submenu->Draw(canvas, originX, SubmenuOrigin(originY));
}

void Menu::DrawItem(platform::Canvas& canvas, const MenuItem& item, const Rect& box, bool hot) {
    const MenuStyle& style = Style();
    platform::CanvasStateSaver saved(canvas);
    if (hot) {
        canvas.SelectPen(style.HotFramePen());
        canvas.SelectBrush(style.HotBackgroundBrush());
        canvas.SetTextColor(style.HotTextColor());
        canvas.SelectFont(style.HotFont());
    }
    const int height = style.ItemHeight();
    switch (style.Style()) {
    case 1:
        canvas.RoundRect(box.left, box.top, box.right, box.bottom, height, height);
        break;
    case 2:
        canvas.RoundRect(box.left, box.top, box.right, box.bottom, 2 * height / 3, 2 * height / 3);
        break;
    case 3:
        canvas.Rectangle(box);
        if (hot)
            canvas.FocusRect(box.Inflate(-2, -2));
        break;
    case 4:
        canvas.Rectangle(box);
        if (item.submenu) {
            const int slack = (box.Width() - canvas.GetTextExtent(item.label).cx) / 2;
            const int y = box.bottom - ((height - style.HotFontSize()) >> 1);
            canvas.MoveTo(box.left + slack, y);
            canvas.LineTo(box.right - slack, y);
        }
        break;
    default:
        canvas.Rectangle(box);
        break;
    }
    Rect textBox = box;
    using namespace platform::TextFlag;
    canvas.DrawText(item.label, textBox, Center | VCenter | SingleLine | NoPrefix);
    if (item.IsChecked() && style.CheckMark()) {
        const int size = MenuStyle::CheckMarkSize;
        const Rect at{box.right - size, box.bottom - 14, box.right, box.bottom - 14 + size};
        canvas.TransparentBlt(at, *style.CheckMark(), Rect{0, 0, size, size},
                              MenuStyle::TransparentKey);
    }
}

void Menu::Execute(MenuItem* item) {
    // The command may show a dialog over the screen or rebuild the whole
    // tree, deleting this menu.
    CloseAll();
    if (!item->command)
        return;
    platform::PostTask([command = std::weak_ptr<Command>(item->command)] {
        if (std::shared_ptr<Command> alive = command.lock())
            alive->Execute();
    });
}

bool Menu::OnKey(int keyCode) {
    if (!IsOpen()) {
        Open();
        return true;
    }
    Menu& m = Deepest();
    const int n = static_cast<int>(m.m_items.size());
    MenuItem* hot = m.m_items[m.m_hot].get();
    Menu* s = hot->submenu.get();
    switch (keyCode) {
    case platform::vk::Return:
    case platform::vk::Space:
        if (s)
            s->Open();
        else
            Execute(hot);
        break;
    case platform::vk::Left:
        m.SetHot((m.m_hot + n - 1) % n);
        break;
    case platform::vk::Right:
        m.SetHot((m.m_hot + 1) % n);
        break;
    case platform::vk::Up:
        m.Close();
        break;
    case platform::vk::Down:
        if (s)
            s->Open();
        break;
    default:
        CloseAll();
        break;
    }
    return true;
}

bool Menu::OnTap(int x, int y) {
    if (!IsOpen()) {
        Open();
        return true;
    }
    Menu* m = this;
    int y0 = 0;
    size_t first = 0;
    for (;;) {
        const size_t c = static_cast<size_t>(m->Columns());
        first = 0;
        while (first < m->m_items.size() && y >= m->ItemBox(first, y0).bottom)
            first += c;
        if (first < m->m_items.size())
            break;
        Menu* next = m->OpenSubmenu();
        if (!next) {
            CloseAll();
            return true;
        }
        y0 = m->SubmenuOrigin(y0);
        m = next;
    }
    const size_t end = std::min(first + static_cast<size_t>(m->Columns()), m->m_items.size());
    for (size_t i = first; i < end; ++i) {
        if (!m->ItemBox(i, y0).Contains(x, y))
            continue;
        m->SetHot(static_cast<int>(i));
        MenuItem* item = m->m_items[i].get();
        if (Menu* submenu = item->submenu.get()) {
            if (submenu->IsOpen())
                submenu->Close();
            else
                submenu->Open();
        } else {
            Execute(item);
        }
        return true;
    }
    CloseAll();
    return true;
}

} // namespace velvane
