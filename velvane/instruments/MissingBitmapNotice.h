#pragma once
// What a view shows where its bitmap file would be: "Bitmap nicht gefunden:"
// over the path, centred, red on black.
#include "platform/canvas.h"
#include <string_view>

namespace velvane {

inline constexpr char16_t BitmapNotFoundText[] = u"Bitmap nicht gefunden:";

// The first line at the bottom of the upper half, the path in the lower half.
void DrawMissingBitmapNotice(platform::Canvas& canvas, int width, int height,
                             std::u16string_view path);

} // namespace velvane
