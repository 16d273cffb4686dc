#pragma once
// What a Font handle points at: a Cairo scaled font for one face, weight and
// height, with its metrics in whole pixels as the device reports them.
#include "platform/canvas.h"
#include <cairo.h>
#include <string>

namespace platform {

struct FontImpl {
    int height = 0;
    int weight = 0;
    std::u16string face;
    cairo_scaled_font_t* scaled = nullptr;
    TextMetrics metrics;

    FontImpl() = default;
    FontImpl(const FontImpl&) = delete;
    FontImpl& operator=(const FontImpl&) = delete;
    ~FontImpl() { cairo_scaled_font_destroy(scaled); }
};

} // namespace platform
