#pragma once
// What a canvas draws on: a Cairo image surface and a context on it, made
// and released together.
#include "platform/canvas.h"
#include <cairo.h>

namespace platform {

struct CanvasSurface {
    // Takes the surface over.
    explicit CanvasSurface(cairo_surface_t* s) : surface(s), cr(cairo_create(s)) {}
    ~CanvasSurface() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    CanvasSurface(const CanvasSurface&) = delete;
    CanvasSurface& operator=(const CanvasSurface&) = delete;

    cairo_surface_t* const surface;
    cairo_t* const cr;
};

} // namespace platform
