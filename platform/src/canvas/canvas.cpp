#include "platform/canvas.h"
#include "canvas_surface.h"
#include "font_impl.h"
#include "pixels.h"
#include "platform/error.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace platform {
namespace {

constexpr int MaxSide = 16384;

void SetSource(cairo_t* cr, Color c) {
    cairo_set_source_rgb(cr, GetR(c) / 255.0, GetG(c) / 255.0, GetB(c) / 255.0);
}

// The logical coordinates of a surface's pixels under a viewport origin.
Rect TargetOf(int width, int height, Point origin) {
    return {-origin.x, -origin.y, width - origin.x, height - origin.y};
}

// Sets pixels of the surface directly, in logical coordinates the caller
// has kept inside the surface. Our surfaces are opaque ARGB32 and a canvas
// has no clip, so this sets the very pixels a fill would, without building
// a path of one rectangle a pixel; the touched box is marked dirty at the end.
class PixelPlotter {
public:
    PixelPlotter(cairo_surface_t* surface, Point origin, Color color)
        : m_surface(surface), m_origin(origin), m_value(ToPixel(color)) {
        cairo_surface_flush(surface);
        m_data = cairo_image_surface_get_data(surface);
        m_stride = cairo_image_surface_get_stride(surface);
    }
    ~PixelPlotter() {
        if (m_left <= m_right)
            cairo_surface_mark_dirty_rectangle(m_surface, m_left, m_top, m_right - m_left + 1,
                                               m_bottom - m_top + 1);
    }
    PixelPlotter(const PixelPlotter&) = delete;
    PixelPlotter& operator=(const PixelPlotter&) = delete;

    void Plot(int x, int y) {
        x += m_origin.x;
        y += m_origin.y;
        reinterpret_cast<uint32_t*>(m_data + ptrdiff_t(y) * m_stride)[x] = m_value;
        m_left = std::min(m_left, x);
        m_right = std::max(m_right, x);
        m_top = std::min(m_top, y);
        m_bottom = std::max(m_bottom, y);
    }

private:
    cairo_surface_t* m_surface;
    Point m_origin;
    uint32_t m_value;
    uint8_t* m_data = nullptr;
    int m_stride = 0;
    int m_left = MaxSide, m_top = MaxSide, m_right = -1, m_bottom = -1;
};

// The pixels of a one-pixel line from (x0, y0) towards (x1, y1), the end
// point left out. Only the pixels inside target are walked, so a line of any
// length costs no more than the target's size, and they are the very pixels
// a walk of the whole line would have set: after k steps along the major
// axis the walk's error term has put the minor axis at
// round-half-down(k * minor / major).
void PlotThinLine(PixelPlotter& plotter, int x0, int y0, int x1, int y1, const Rect& target) {
    const int64_t dx = std::abs(int64_t(x1) - x0);
    const int64_t dy = std::abs(int64_t(y1) - y0);
    const bool xMajor = dx >= dy;
    const int64_t major = xMajor ? dx : dy;
    const int64_t minor = xMajor ? dy : dx;
    if (major == 0)
        return;
    const int64_t majorFrom = xMajor ? x0 : y0;
    const int64_t minorFrom = xMajor ? y0 : x0;
    const int majorStep = (xMajor ? x0 < x1 : y0 < y1) ? 1 : -1;
    const int minorStep = (xMajor ? y0 < y1 : x0 < x1) ? 1 : -1;
    const int64_t lo = xMajor ? target.left : target.top;
    const int64_t hi = xMajor ? target.right : target.bottom;
    // The steps whose major coordinate lies in [lo, hi).
    int64_t kFrom = majorStep > 0 ? lo - majorFrom : majorFrom - (hi - 1);
    int64_t kTo = majorStep > 0 ? hi - majorFrom : majorFrom - lo + 1;
    kFrom = std::max<int64_t>(kFrom, 0);
    kTo = std::min(kTo, major);
    if (kFrom >= kTo)
        return;

    const int64_t twoMajor = 2 * major;
    const __int128 at = __int128(2) * kFrom * minor + major;
    int64_t q = int64_t(at / twoMajor);
    int64_t rest = int64_t(at % twoMajor);
    for (int64_t k = kFrom; k < kTo; ++k) {
        const int64_t a = majorFrom + majorStep * k;
        const int64_t b = minorFrom + minorStep * q;
        const int64_t px = xMajor ? a : b;
        const int64_t py = xMajor ? b : a;
        if (px >= target.left && px < target.right && py >= target.top && py < target.bottom)
            plotter.Plot(int(px), int(py));
        rest += 2 * minor;
        if (rest >= twoMajor) {
            rest -= twoMajor;
            ++q;
        }
    }
}

// A closed ellipse path in the box; degenerate boxes add nothing.
void AddEllipse(cairo_t* cr, double left, double top, double right, double bottom) {
    double rx = (right - left) / 2;
    double ry = (bottom - top) / 2;
    if (rx <= 0 || ry <= 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, left + rx, top + ry);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void AddRoundRect(cairo_t* cr, double left, double top, double right, double bottom, double ew,
                  double eh) {
    double rx = std::min(ew, right - left) / 2;
    double ry = std::min(eh, bottom - top) / 2;
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, left, top, right - left, bottom - top);
        return;
    }
    auto corner = [&](double cx, double cy, double from) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
        cairo_restore(cr);
    };
    cairo_new_sub_path(cr);
    corner(right - rx, top + ry, -M_PI / 2);
    corner(right - rx, bottom - ry, 0);
    corner(left + rx, bottom - ry, M_PI / 2);
    corner(left + rx, top + ry, M_PI);
    cairo_close_path(cr);
}

// The current path flattened to the pixels its points fall in.
std::vector<Point> FlatPixels(cairo_t* cr) {
    std::vector<Point> points;
    cairo_path_t* path = cairo_copy_path_flat(cr);
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* d = &path->data[i];
        if (d->header.type == CAIRO_PATH_MOVE_TO || d->header.type == CAIRO_PATH_LINE_TO) {
            Point p{int(std::floor(d[1].point.x)), int(std::floor(d[1].point.y))};
            if (points.empty() || !(points.back() == p))
                points.push_back(p);
        }
    }
    cairo_path_destroy(path);
    if (points.size() > 1 && points.front() == points.back())
        points.pop_back();
    return points;
}

} // namespace

Canvas::Canvas(std::unique_ptr<CanvasSurface> surface)
    : m_surface(std::move(surface)), m_width(cairo_image_surface_get_width(m_surface->surface)),
      m_height(cairo_image_surface_get_height(m_surface->surface)) {
    cairo_set_antialias(m_surface->cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(m_surface->cr, CAIRO_FILL_RULE_WINDING);
}

Canvas::~Canvas() = default;

std::unique_ptr<Canvas> Canvas::Create(int width, int height) {
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide) {
        SetLastError(ErrorCode::InvalidParameter,
                     "canvas size " + std::to_string(width) + "x" + std::to_string(height));
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        SetLastError(ErrorCode::NotEnoughMemory, "canvas surface");
        return nullptr;
    }
    std::unique_ptr<Canvas> canvas(new Canvas(std::make_unique<CanvasSurface>(surface)));
    cairo_set_source_rgb(canvas->m_surface->cr, 1, 1, 1);
    cairo_paint(canvas->m_surface->cr);
    return canvas;
}

void Canvas::Flush() const {
    cairo_surface_flush(m_surface->surface);
}
void Canvas::MarkDirty() {
    cairo_surface_mark_dirty(m_surface->surface);
}

bool Canvas::SavePng(const std::filesystem::path& hostPath) const {
    Flush();
    cairo_status_t status = cairo_surface_write_to_png(m_surface->surface, hostPath.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        SetLastError(ErrorCode::WriteFault,
                     "writing " + hostPath.string() + ": " + cairo_status_to_string(status));
        return false;
    }
    return true;
}

Color Canvas::GetPixel(int x, int y) const {
    x += m_origin.x;
    y += m_origin.y;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return InvalidColor;
    Flush();
    const uint8_t* row = cairo_image_surface_get_data(m_surface->surface) +
                         y * cairo_image_surface_get_stride(m_surface->surface);
    return FromPixel(reinterpret_cast<const uint32_t*>(row)[x]);
}

void Canvas::SetPixel(int x, int y, Color color) {
    x += m_origin.x;
    y += m_origin.y;
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    Flush();
    uint8_t* row = cairo_image_surface_get_data(m_surface->surface) +
                   y * cairo_image_surface_get_stride(m_surface->surface);
    reinterpret_cast<uint32_t*>(row)[x] = ToPixel(color);
    cairo_surface_mark_dirty_rectangle(m_surface->surface, x, y, 1, 1);
}

Pen Canvas::SelectPen(const Pen& pen) {
    return std::exchange(m_pen, pen);
}
Brush Canvas::SelectBrush(const Brush& brush) {
    return std::exchange(m_brush, brush);
}
Font Canvas::SelectFont(const Font& font) {
    return std::exchange(m_font, font);
}
Color Canvas::SetTextColor(Color color) {
    return std::exchange(m_textColor, color);
}
Color Canvas::SetBackgroundColor(Color color) {
    return std::exchange(m_backgroundColor, color);
}
BackgroundMode Canvas::SetBackgroundMode(BackgroundMode mode) {
    return std::exchange(m_backgroundMode, mode);
}

Point Canvas::SetViewportOrigin(Point origin) {
    cairo_identity_matrix(m_surface->cr);
    cairo_translate(m_surface->cr, origin.x, origin.y);
    return std::exchange(m_origin, origin);
}

void Canvas::FillPath(Color color) {
    SetSource(m_surface->cr, color);
    cairo_fill(m_surface->cr);
}

void Canvas::StrokeThin(std::span<const Point> points, bool closed) {
    if (points.empty())
        return;
    const Rect target = TargetOf(m_width, m_height, m_origin);
    PixelPlotter plotter(m_surface->surface, m_origin, m_pen.color);
    for (size_t i = 0; i + 1 < points.size(); ++i)
        PlotThinLine(plotter, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, target);
    if (closed && points.size() > 1)
        PlotThinLine(plotter, points.back().x, points.back().y, points[0].x, points[0].y, target);
    else if (closed && target.Contains(points[0]))
        plotter.Plot(points[0].x, points[0].y);
}

// Wide pens are round-capped and centred on the pixels the path names.
void Canvas::StrokePathWide() {
    cairo_set_line_width(m_surface->cr, m_pen.width);
    cairo_set_line_cap(m_surface->cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(m_surface->cr, CAIRO_LINE_JOIN_ROUND);
    SetSource(m_surface->cr, m_pen.color);
    cairo_stroke(m_surface->cr);
}

// Outlines the current path, whose coordinates run through pixel centres.
void Canvas::OutlineCurrentPath() {
    if (m_pen.style == PenStyle::Null) {
        cairo_new_path(m_surface->cr);
        return;
    }
    if (m_pen.width > 1) {
        StrokePathWide();
        return;
    }
    cairo_set_tolerance(m_surface->cr, 0.1);
    std::vector<Point> points = FlatPixels(m_surface->cr);
    StrokeThin(points, true);
}

void Canvas::MoveTo(int x, int y) {
    m_position = {x, y};
}

void Canvas::LineTo(int x, int y) {
    Point from = m_position;
    m_position = {x, y};
    if (m_pen.style == PenStyle::Null)
        return;
    if (m_pen.width > 1) {
        cairo_new_path(m_surface->cr);
        cairo_move_to(m_surface->cr, from.x + 0.5, from.y + 0.5);
        cairo_line_to(m_surface->cr, x + 0.5, y + 0.5);
        StrokePathWide();
        return;
    }
    const Point to{x, y};
    StrokeThin(std::array<Point, 2>{from, to}, false);
}

void Canvas::Polyline(std::span<const Point> points) {
    if (points.size() < 2 || m_pen.style == PenStyle::Null)
        return;
    if (m_pen.width > 1) {
        cairo_new_path(m_surface->cr);
        cairo_move_to(m_surface->cr, points[0].x + 0.5, points[0].y + 0.5);
        for (const Point& p : points.subspan(1))
            cairo_line_to(m_surface->cr, p.x + 0.5, p.y + 0.5);
        StrokePathWide();
        return;
    }
    StrokeThin(points, false);
}

void Canvas::Polygon(std::span<const Point> points) {
    if (points.size() < 2)
        return;
    if (m_brush.style == BrushStyle::Solid) {
        cairo_new_path(m_surface->cr);
        cairo_move_to(m_surface->cr, points[0].x, points[0].y);
        for (const Point& p : points.subspan(1))
            cairo_line_to(m_surface->cr, p.x, p.y);
        cairo_close_path(m_surface->cr);
        cairo_set_fill_rule(m_surface->cr, CAIRO_FILL_RULE_EVEN_ODD);
        FillPath(m_brush.color);
        cairo_set_fill_rule(m_surface->cr, CAIRO_FILL_RULE_WINDING);
    }
    if (m_pen.style == PenStyle::Null)
        return;
    if (m_pen.width > 1) {
        cairo_new_path(m_surface->cr);
        cairo_move_to(m_surface->cr, points[0].x + 0.5, points[0].y + 0.5);
        for (const Point& p : points.subspan(1))
            cairo_line_to(m_surface->cr, p.x + 0.5, p.y + 0.5);
        cairo_close_path(m_surface->cr);
        StrokePathWide();
        return;
    }
    StrokeThin(points, true);
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (right == left || bottom == top)
        return;
    FillRect({left, top, right, bottom}, m_brush);
    if (m_pen.style == PenStyle::Null)
        return;
    cairo_new_path(m_surface->cr);
    if (m_pen.width > 1) {
        cairo_rectangle(m_surface->cr, left + 0.5, top + 0.5, right - left - 1, bottom - top - 1);
        cairo_set_line_width(m_surface->cr, m_pen.width);
        cairo_set_line_join(m_surface->cr, CAIRO_LINE_JOIN_MITER);
        SetSource(m_surface->cr, m_pen.color);
        cairo_stroke(m_surface->cr);
        return;
    }
    cairo_rectangle(m_surface->cr, left, top, right - left, 1);
    cairo_rectangle(m_surface->cr, left, bottom - 1, right - left, 1);
    cairo_rectangle(m_surface->cr, left, top, 1, bottom - top);
    cairo_rectangle(m_surface->cr, right - 1, top, 1, bottom - top);
    FillPath(m_pen.color);
}

void Canvas::FillRect(const Rect& rect, Color color) {
    if (rect.IsEmpty())
        return;
    cairo_new_path(m_surface->cr);
    cairo_rectangle(m_surface->cr, rect.left, rect.top, rect.Width(), rect.Height());
    FillPath(color);
}

void Canvas::FillRect(const Rect& rect, const Brush& brush) {
    if (brush.style == BrushStyle::Solid)
        FillRect(rect, brush.color);
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (right - left < 1 || bottom - top < 1)
        return;
    // Too small for a curve: the pen covers the whole box.
    if ((right - left <= 2 || bottom - top <= 2) && m_pen.style == PenStyle::Solid) {
        FillRect({left, top, right, bottom}, m_pen.color);
        return;
    }
    if (m_brush.style == BrushStyle::Solid) {
        cairo_new_path(m_surface->cr);
        AddEllipse(m_surface->cr, left, top, right, bottom);
        FillPath(m_brush.color);
    }
    cairo_new_path(m_surface->cr);
    AddEllipse(m_surface->cr, left + 0.5, top + 0.5, right - 0.5, bottom - 0.5);
    OutlineCurrentPath();
}

void Canvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                       int ellipseHeight) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (ellipseWidth <= 0 || ellipseHeight <= 0 || right - left <= 2 || bottom - top <= 2) {
        Rectangle(left, top, right, bottom);
        return;
    }
    if (m_brush.style == BrushStyle::Solid) {
        cairo_new_path(m_surface->cr);
        AddRoundRect(m_surface->cr, left, top, right, bottom, ellipseWidth, ellipseHeight);
        FillPath(m_brush.color);
    }
    cairo_new_path(m_surface->cr);
    AddRoundRect(m_surface->cr, left + 0.5, top + 0.5, right - 0.5, bottom - 0.5, ellipseWidth - 1,
                 ellipseHeight - 1);
    OutlineCurrentPath();
}

void Canvas::FocusRect(const Rect& rect) {
    Rect r = rect.Offset(m_origin.x, m_origin.y);
    if (r.IsEmpty())
        return;
    Flush();
    uint8_t* data = cairo_image_surface_get_data(m_surface->surface);
    int stride = cairo_image_surface_get_stride(m_surface->surface);
    auto invert = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height || (x + y) % 2 != 0)
            return;
        uint32_t* p = reinterpret_cast<uint32_t*>(data + y * stride) + x;
        *p ^= 0x00FFFFFF;
    };
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 > r.top)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 > r.left)
            invert(r.right - 1, y);
    }
    MarkDirty();
}

void Canvas::DrawEdge(const Rect& rect, EdgeStyle style) {
    constexpr Color White = Rgb(255, 255, 255);
    constexpr Color Light = Rgb(192, 192, 192);
    constexpr Color Shadow = Rgb(128, 128, 128);
    constexpr Color Dark = Rgb(0, 0, 0);
    struct Ring {
        Color topLeft;
        Color bottomRight;
    };
    const Ring raised[2] = {{Light, Dark}, {White, Shadow}};
    const Ring sunken[2] = {{Shadow, White}, {Dark, Light}};
    const Ring* rings = style == EdgeStyle::Raised ? raised : sunken;
    Rect r = rect;
    for (int i = 0; i < 2 && !r.IsEmpty(); ++i) {
        FillRect({r.left, r.bottom - 1, r.right, r.bottom}, rings[i].bottomRight);
        FillRect({r.right - 1, r.top, r.right, r.bottom}, rings[i].bottomRight);
        FillRect({r.left, r.top, r.right - 1, r.top + 1}, rings[i].topLeft);
        FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, rings[i].topLeft);
        r = r.Inflate(-1, -1);
    }
}

bool Canvas::BitBlt(int x, int y, int width, int height, const Canvas& src, int srcX, int srcY) {
    return CopyPixels({x, y, x + width, y + height}, src, {srcX, srcY, srcX + width, srcY + height},
                      nullptr);
}

bool Canvas::StretchBlt(const Rect& dst, const Canvas& src, const Rect& srcRect) {
    return CopyPixels(dst, src, srcRect, nullptr);
}

bool Canvas::StretchBlt(const Rect& dst, const Canvas& src) {
    return CopyPixels(dst, src, {0, 0, src.m_width, src.m_height}, nullptr);
}

bool Canvas::TransparentBlt(const Rect& dst, const Canvas& src, const Rect& srcRect, Color key) {
    return CopyPixels(dst, src, srcRect, &key);
}

// Nearest neighbour: destination pixel i of n takes source pixel
// floor((i + 0.5) * m / n), so equal sizes copy one to one.
bool Canvas::CopyPixels(const Rect& dstLogical, const Canvas& src, const Rect& srcLogical,
                        const Color* key) {
    if (dstLogical.Width() < 0 || dstLogical.Height() < 0 || srcLogical.Width() < 0 ||
        srcLogical.Height() < 0) {
        SetLastError(ErrorCode::InvalidParameter, "negative size in a bitmap copy");
        return false;
    }
    if (dstLogical.IsEmpty() || srcLogical.IsEmpty())
        return true;
    Rect dst = dstLogical.Offset(m_origin.x, m_origin.y);
    Rect from = srcLogical.Offset(src.m_origin.x, src.m_origin.y);
    Rect visible = dst.Intersect({0, 0, m_width, m_height});
    if (visible.IsEmpty())
        return true;

    src.Flush();
    Flush();
    const int dw = dst.Width();
    const int dh = dst.Height();
    const int sw = from.Width();
    const int sh = from.Height();
    auto sourceX = [&](int x) {
        return from.left + int((2LL * (x - dst.left) + 1) * sw / (2LL * dw));
    };
    auto sourceY = [&](int y) {
        return from.top + int((2LL * (y - dst.top) + 1) * sh / (2LL * dh));
    };

    const int srcStride = cairo_image_surface_get_stride(src.m_surface->surface);
    const uint8_t* srcData = cairo_image_surface_get_data(src.m_surface->surface);
    // Copying within one canvas reads from a snapshot, so overlaps come out right.
    std::vector<uint8_t> snapshot;
    if (&src == this) {
        snapshot.assign(srcData, srcData + size_t(srcStride) * m_height);
        srcData = snapshot.data();
    }
    uint8_t* dstData = cairo_image_surface_get_data(m_surface->surface);
    const int dstStride = cairo_image_surface_get_stride(m_surface->surface);

    std::vector<int> columns(visible.Width());
    for (int x = visible.left; x < visible.right; ++x)
        columns[x - visible.left] = sourceX(x);
    const uint32_t keyPixel = key ? ToPixel(*key) & 0x00FFFFFF : 0;
    const bool plain = !key && sw == dw;

    for (int y = visible.top; y < visible.bottom; ++y) {
        int sy = sourceY(y);
        if (sy < 0 || sy >= src.m_height)
            continue;
        const uint32_t* srcRow =
            reinterpret_cast<const uint32_t*>(srcData + size_t(sy) * srcStride);
        uint32_t* dstRow = reinterpret_cast<uint32_t*>(dstData + size_t(y) * dstStride);
        if (plain) {
            int sx0 = columns[0];
            int lo = std::max(visible.left, visible.left - sx0);
            int hi = std::min(visible.right, visible.left + (src.m_width - sx0));
            if (lo < hi)
                std::copy_n(srcRow + sx0 + (lo - visible.left), hi - lo, dstRow + lo);
            continue;
        }
        for (int x = visible.left; x < visible.right; ++x) {
            int sx = columns[x - visible.left];
            if (sx < 0 || sx >= src.m_width)
                continue;
            uint32_t p = srcRow[sx];
            if (key && (p & 0x00FFFFFF) == keyPixel)
                continue;
            dstRow[x] = p | 0xFF000000u;
        }
    }
    cairo_surface_mark_dirty_rectangle(m_surface->surface, visible.left, visible.top,
                                       visible.Width(), visible.Height());
    return true;
}

CanvasStateSaver::CanvasStateSaver(Canvas& canvas)
    : m_canvas(canvas), m_pen(canvas.CurrentPen()), m_brush(canvas.CurrentBrush()),
      m_font(canvas.CurrentFont()), m_textColor(canvas.TextColor()),
      m_backgroundColor(canvas.BackgroundColor()), m_mode(canvas.GetBackgroundMode()),
      m_origin(canvas.GetViewportOrigin()) {}

CanvasStateSaver::~CanvasStateSaver() {
    m_canvas.SelectPen(m_pen);
    m_canvas.SelectBrush(m_brush);
    m_canvas.SelectFont(m_font);
    m_canvas.SetTextColor(m_textColor);
    m_canvas.SetBackgroundColor(m_backgroundColor);
    m_canvas.SetBackgroundMode(m_mode);
    m_canvas.SetViewportOrigin(m_origin);
}

} // namespace platform
