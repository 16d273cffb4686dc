#pragma once
// How a window's logical picture (drawn at its own size) sits in the pixels
// the window really has: scaled by one factor so that it fits whole, centred,
// with bars on the sides left over. Points taken in the real window map back
// through the same scale; points on the bars belong to no logical pixel.
#include "platform/geometry.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace platform {

class ViewportTransform {
public:
    ViewportTransform() = default;
    // Either size empty: nothing is shown and nothing maps.
    ViewportTransform(Size logical, Size output) : m_logical(logical) {
        if (logical.cx <= 0 || logical.cy <= 0 || output.cx <= 0 || output.cy <= 0)
            return;
        m_scale = std::min(double(output.cx) / logical.cx, double(output.cy) / logical.cy);
        // Rounded to whole pixels; the bars share what is left, the odd pixel
        // going to the right or bottom one.
        const int cx = std::clamp(int(std::lround(logical.cx * m_scale)), 1, output.cx);
        const int cy = std::clamp(int(std::lround(logical.cy * m_scale)), 1, output.cy);
        const int left = (output.cx - cx) / 2;
        const int top = (output.cy - cy) / 2;
        m_picture = {left, top, left + cx, top + cy};
    }

    // Output pixels per logical pixel; 0 when nothing is shown.
    double Scale() const { return m_scale; }
    // Where the picture goes in the output; empty when nothing is shown.
    Rect Picture() const { return m_picture; }

    // The logical pixel under an output pixel; nothing on the bars or outside.
    std::optional<Point> ToLogical(int x, int y) const {
        if (!m_picture.Contains(x, y))
            return std::nullopt;
        // Each logical pixel covers an equal share of the picture.
        const int lx = int(int64_t(x - m_picture.left) * m_logical.cx / m_picture.Width());
        const int ly = int(int64_t(y - m_picture.top) * m_logical.cy / m_picture.Height());
        return Point{std::min(lx, m_logical.cx - 1), std::min(ly, m_logical.cy - 1)};
    }
    // The first output pixel of a logical pixel (its top-left corner).
    Point ToOutput(int x, int y) const {
        if (m_picture.IsEmpty())
            return {m_picture.left, m_picture.top};
        auto first = [](int v, int out, int in) {
            return int((int64_t(v) * out + in - 1) / in); // rounded up: inside the pixel
        };
        return {m_picture.left + first(x, m_picture.Width(), m_logical.cx),
                m_picture.top + first(y, m_picture.Height(), m_logical.cy)};
    }

private:
    Size m_logical;
    double m_scale = 0;
    Rect m_picture;
};

} // namespace platform
