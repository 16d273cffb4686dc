#pragma once
// Bitmaps from files (BMP with 1, 4, 8, 24 or 32 bits, or PNG) or from the
// program's embedded resources. A Bitmap is a memory canvas: draw it with
// Canvas::BitBlt, StretchBlt or TransparentBlt, or draw on it.
#include "platform/canvas.h"
#include <memory>
#include <span>
#include <string_view>

namespace platform {

class Bitmap : public Canvas {
public:
    // Null with LastError set (FileNotFound, PathNotFound, InvalidData with
    // the decoder's reason ...) when the file cannot be read or decoded.
    static std::unique_ptr<Bitmap> Load(std::u16string_view devicePath);
    // The embedded resource with this id; null with LastError when missing.
    static std::unique_ptr<Bitmap> LoadResource(int id);
    // Decodes BMP or PNG bytes; null with LastError InvalidData on failure.
    static std::unique_ptr<Bitmap> Decode(std::span<const uint8_t> bytes);

private:
    using Canvas::Canvas;
};

} // namespace platform
