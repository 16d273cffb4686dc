#include "platform/bitmap.h"
#include "canvas_surface.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/resources.h"
#include "platform/text.h"

#include <cairo.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb/stb_image.h>

#include <climits>

namespace platform {

std::unique_ptr<Bitmap> Bitmap::Decode(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > size_t(INT_MAX)) {
        SetLastError(ErrorCode::InvalidData, "empty or oversized image data");
        return nullptr;
    }
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4);
    if (!rgba) {
        SetLastError(ErrorCode::InvalidData,
                     std::string("not a readable BMP or PNG image: ") + stbi_failure_reason());
        return nullptr;
    }
    if (width > 16384 || height > 16384) {
        stbi_image_free(rgba);
        SetLastError(ErrorCode::InvalidData, "image too large");
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        stbi_image_free(rgba);
        SetLastError(ErrorCode::NotEnoughMemory, "bitmap surface");
        return nullptr;
    }
    // The device's bitmaps have no alpha: every pixel is taken as opaque.
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        const stbi_uc* in = rgba + size_t(y) * width * 4;
        for (int x = 0; x < width; ++x, in += 4)
            row[x] = 0xFF000000u | (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
    }
    stbi_image_free(rgba);
    cairo_surface_mark_dirty(surface);
    return std::unique_ptr<Bitmap>(new Bitmap(std::make_unique<CanvasSurface>(surface)));
}

std::unique_ptr<Bitmap> Bitmap::Load(std::u16string_view devicePath) {
    auto bytes = ReadFileContents(devicePath);
    if (!bytes)
        return nullptr;
    auto bitmap = Decode({reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()});
    if (!bitmap)
        SetLastError(LastError().code, ToUtf8(devicePath) + ": " + LastError().message);
    return bitmap;
}

std::unique_ptr<Bitmap> Bitmap::LoadResource(int id) {
    std::span<const uint8_t> bytes = FindResource(id);
    if (bytes.empty())
        return nullptr;
    auto bitmap = Decode(bytes);
    if (!bitmap)
        SetLastError(LastError().code,
                     "resource " + std::to_string(id) + ": " + LastError().message);
    return bitmap;
}

} // namespace platform
