#include "instruments/MissingBitmapNotice.h"

namespace velvane {

void DrawMissingBitmapNotice(platform::Canvas& canvas, int width, int height,
                             std::u16string_view path) {
    platform::CanvasStateSaver saved(canvas);
    canvas.SelectFont(platform::Font());
    canvas.SetBackgroundMode(platform::BackgroundMode::Opaque);
    canvas.SetTextColor(platform::Rgb(255, 0, 0));
    canvas.SetBackgroundColor(platform::Rgb(0, 0, 0));
    using namespace platform::TextFlag;
    platform::Rect upper{0, 0, width, height / 2};
    canvas.DrawText(BitmapNotFoundText, upper, Center | Bottom | SingleLine);
    // A path may hold "&"; it is shown as it is.
    platform::Rect lower{0, height / 2, width, height};
    canvas.DrawText(path, lower, Center | SingleLine | NoPrefix);
}

} // namespace velvane
