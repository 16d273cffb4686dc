#include "display/StartView.h"

#include "platform/canvas.h"

namespace velvane {

using platform::Canvas;
using platform::Rect;
using platform::TextFlag::Center;
using platform::TextFlag::SingleLine;
using platform::TextFlag::VCenter;
using platform::TextFlag::WordBreak;

void StartView::Draw(Canvas& canvas, int originX, int originY) {
    platform::CanvasStateSaver saved(canvas);
    const platform::Color white = platform::Rgb(255, 255, 255);
    const platform::Color black = platform::Rgb(0, 0, 0);
    canvas.FillRect(Rect{originX, originY, originX + m_width, originY + m_height}, white);
    canvas.SetTextColor(black);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.SelectPen(platform::Pen::Solid(1, black));
    canvas.SelectBrush(platform::Brush::Null());

    const int left = originX + Margin;
    const int right = originX + m_width - Margin;
    const int top = originY + Margin;
    const int bottom = originY + m_height - Margin;
    canvas.Rectangle(left, top, right, bottom);

    const int row = RowHeight();
    Rect title{left, top, right, top + row};
    canvas.DrawText(Title, title, Center | VCenter | SingleLine);
    canvas.MoveTo(left, top + row);
    canvas.LineTo(right, top + row);
    canvas.MoveTo(left, top + 2 * row);
    canvas.LineTo(right, top + 2 * row);

    Rect hint{left, top + 2 * row, right, bottom};
    canvas.DrawText(Hint, hint, Center | WordBreak);
}

} // namespace velvane
