#pragma once
// The base of everything the dashboard draws: a sized area that paints itself
// at an origin and may use keys and taps.
namespace platform {
class Canvas;
}

namespace velvane {

class Drawable {
public:
    Drawable(int width, int height) : m_width(width), m_height(height) {}
    virtual ~Drawable() = default;
    Drawable(const Drawable&) = delete;
    Drawable& operator=(const Drawable&) = delete;

    // Paints with (originX, originY) added to the object's own coordinates.
    virtual void Draw(platform::Canvas& canvas, int originX, int originY) = 0;
    virtual void Resize(int width, int height);
    // True when the key or tap was used; nobody else sees it then.
    virtual bool OnKey(int keyCode);
    virtual bool OnTap(int x, int y);

    int Width() const { return m_width; }
    int Height() const { return m_height; }

protected:
    int m_width;
    int m_height;
};

} // namespace velvane
