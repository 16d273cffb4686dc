#pragma once
// Points, sizes, rectangles and colours as the device counts them: integer
// pixels, rectangles with exclusive right and bottom edges, colours 0x00BBGGRR.
#include <cstdint>

namespace platform {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Covers columns left..right-1 and rows top..bottom-1.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Saturated: a box from far left to far right is as wide as an int goes.
    int Width() const { return Span(left, right); }
    int Height() const { return Span(top, bottom); }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool Contains(Point p) const { return Contains(p.x, p.y); }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Inflate(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    // The common part; empty (all zero) when they do not overlap.
    Rect Intersect(const Rect& o) const;
    friend bool operator==(const Rect&, const Rect&) = default;

private:
    static int Span(int from, int to) {
        const int64_t span = int64_t(to) - from;
        return span > INT32_MAX ? INT32_MAX : span < INT32_MIN ? INT32_MIN : int(span);
    }
};

inline Rect Rect::Intersect(const Rect& o) const {
    Rect r{left > o.left ? left : o.left, top > o.top ? top : o.top,
           right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
    return r.IsEmpty() ? Rect{} : r;
}

// 0x00BBGGRR, the device's colour value; files write it as RRGGBB.
using Color = uint32_t;

constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) {
    return Color(r) | (Color(g) << 8) | (Color(b) << 16);
}
constexpr uint8_t GetR(Color c) {
    return uint8_t(c & 0xFF);
}
constexpr uint8_t GetG(Color c) {
    return uint8_t((c >> 8) & 0xFF);
}
constexpr uint8_t GetB(Color c) {
    return uint8_t((c >> 16) & 0xFF);
}

// What GetPixel answers outside the canvas, as on the device.
constexpr Color InvalidColor = 0xFFFFFFFF;

} // namespace platform
