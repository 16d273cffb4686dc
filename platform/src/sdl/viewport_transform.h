#pragma once
// How a window's logical picture (drawn at its own size) sits in the pixels
// the window really has: scaled by one factor so that it fits whole, centred,
// with bars on the sides left over. Points taken in the real window map back
// through the same scale; points on the bars belong to no logical pixel.
// The picture may be turned and mirrored on the way (see Presentation).
#include "platform/geometry.h"
#include "platform/window.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace platform {

class ViewportTransform {
public:
    ViewportTransform() = default;
    // Either size empty: nothing is shown and nothing maps.
    ViewportTransform(Size logical, Size output, Presentation presentation = {})
        : m_logical(logical), m_turned(logical), m_presentation(presentation) {
        if (presentation.Swaps())
            m_turned = {logical.cy, logical.cx};
        if (logical.cx <= 0 || logical.cy <= 0 || output.cx <= 0 || output.cy <= 0)
            return;
        m_scale = std::min(double(output.cx) / m_turned.cx, double(output.cy) / m_turned.cy);
        // Rounded to whole pixels; the bars share what is left, the odd pixel
        // going to the right or bottom one.
        const int cx = std::clamp(int(std::lround(m_turned.cx * m_scale)), 1, output.cx);
        const int cy = std::clamp(int(std::lround(m_turned.cy * m_scale)), 1, output.cy);
        const int left = (output.cx - cx) / 2;
        const int top = (output.cy - cy) / 2;
        m_picture = {left, top, left + cx, top + cy};
    }

    // Output pixels per logical pixel; 0 when nothing is shown.
    double Scale() const { return m_scale; }
    // Where the picture goes in the output; empty when nothing is shown.
    Rect Picture() const { return m_picture; }

    // The logical picture's size once turned: what the output shows.
    Size Turned() const { return m_turned; }

    // The logical pixel under an output pixel; nothing on the bars or outside.
    std::optional<Point> ToLogical(int x, int y) const {
        if (!m_picture.Contains(x, y))
            return std::nullopt;
        // Each logical pixel covers an equal share of the picture.
        int u = int(int64_t(x - m_picture.left) * m_turned.cx / m_picture.Width());
        int v = int(int64_t(y - m_picture.top) * m_turned.cy / m_picture.Height());
        u = std::min(u, m_turned.cx - 1);
        v = std::min(v, m_turned.cy - 1);
        if (m_presentation.mirror)
            u = m_turned.cx - 1 - u;
        const int w = m_logical.cx, h = m_logical.cy;
        switch (m_presentation.rotation) {
        case 90:
            return Point{v, h - 1 - u};
        case 180:
            return Point{w - 1 - u, h - 1 - v};
        case 270:
            return Point{w - 1 - v, u};
        default:
            return Point{u, v};
        }
    }
    // The first output pixel at a corner between logical pixels (x, y in
    // 0..width and 0..height): the top-left corner of the pixel there when
    // not turned.
    Point ToOutput(int x, int y) const {
        if (m_picture.IsEmpty())
            return {m_picture.left, m_picture.top};
        const int w = m_logical.cx, h = m_logical.cy;
        int u = x, v = y;
        switch (m_presentation.rotation) {
        case 90:
            u = h - y, v = x;
            break;
        case 180:
            u = w - x, v = h - y;
            break;
        case 270:
            u = y, v = w - x;
            break;
        default:
            break;
        }
        if (m_presentation.mirror)
            u = m_turned.cx - u;
        auto first = [](int v, int out, int in) {
            return int((int64_t(v) * out + in - 1) / in); // rounded up: inside the pixel
        };
        return {m_picture.left + first(u, m_picture.Width(), m_turned.cx),
                m_picture.top + first(v, m_picture.Height(), m_turned.cy)};
    }
    // Where a logical rectangle shows in the output.
    Rect ToOutput(const Rect& r) const {
        const Point a = ToOutput(r.left, r.top), b = ToOutput(r.right, r.bottom);
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }

private:
    Size m_logical;
    Size m_turned;
    Presentation m_presentation;
    double m_scale = 0;
    Rect m_picture;
};

} // namespace platform
