#pragma once
// Drawing into memory surfaces (Cairo ARGB32 images) with the device's pixel
// rules: shapes and lines are not anti-aliased, a rectangle covers
// left..right-1 and top..bottom-1, a one-pixel line leaves out its end point.
// Text is anti-aliased. Coordinates are logical: the viewport origin is added.
#include "platform/geometry.h"
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// The pixels behind a canvas and the drawing context on them; only the
// drawing code and the backends know what they are.
struct CanvasSurface;

enum class PenStyle { Solid, Null };

// A cheap value; width 0 draws like width 1.
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    Color color = 0;

    static Pen Solid(int width, Color color) { return {PenStyle::Solid, width, color}; }
    static Pen Null() { return {PenStyle::Null, 1, 0}; }
    friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle { Solid, Null };

struct Brush {
    BrushStyle style = BrushStyle::Solid;
    Color color = Rgb(255, 255, 255);

    static Brush Solid(Color color) { return {BrushStyle::Solid, color}; }
    // Hollow: shapes are outlined only.
    static Brush Null() { return {BrushStyle::Null, 0}; }
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct FontImpl;

// A shared handle to a font face at a size; copying it is cheap. The default
// Font{} is the default face at the default height.
class Font {
public:
    static constexpr int DefaultHeight = 16;
    static constexpr int MaxFaceLength = 31;

    Font();
    // height: cell height in pixels; negative: the character height |height|
    // (the em size); 0: DefaultHeight. weight: 0 = 400 (normal), 700 bold.
    // face: matched through fontconfig, cut to MaxFaceLength characters;
    // empty = the default face. Never fails: an unknown face falls back to
    // fontconfig's best match.
    static Font Create(int height, int weight = 0, std::u16string_view face = {});

    int Height() const;                     // as asked (0 replaced by DefaultHeight)
    int Weight() const;                     // 0 replaced by 400
    const std::u16string& FaceName() const; // after cutting to 31 characters
    const FontImpl& Impl() const { return *m_impl; }
    friend bool operator==(const Font& a, const Font& b) { return a.m_impl == b.m_impl; }

private:
    explicit Font(std::shared_ptr<const FontImpl> impl) : m_impl(std::move(impl)) {}
    std::shared_ptr<const FontImpl> m_impl;
};

struct TextMetrics {
    int height = 0; // ascent + descent: the cell height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0; // height minus the em size
    int externalLeading = 0;
    int averageCharWidth = 0; // width of "x"-like average, for dialog units
    int maxCharWidth = 0;
};

enum class BackgroundMode { Transparent, Opaque };

// DrawText flags, combined with |. The values are the device's.
namespace TextFlag {
constexpr uint32_t Left = 0x0;
constexpr uint32_t Center = 0x1;
constexpr uint32_t Right = 0x2;
constexpr uint32_t Top = 0x0;
constexpr uint32_t VCenter = 0x4;
constexpr uint32_t Bottom = 0x8;
constexpr uint32_t WordBreak = 0x10;
constexpr uint32_t SingleLine = 0x20;
constexpr uint32_t NoClip = 0x100;
constexpr uint32_t CalcRect = 0x400;
constexpr uint32_t NoPrefix = 0x800;
} // namespace TextFlag

enum class EdgeStyle { Raised, Sunken };

class Canvas {
public:
    // A memory canvas filled white. Null with LastError InvalidParameter for a
    // size below 1x1 or above 16384, NotEnoughMemory when the surface fails.
    static std::unique_ptr<Canvas> Create(int width, int height);
    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // For backends: the ARGB32 surface (alpha always 255). Flush before
    // reading its pixels directly, MarkDirty after writing them.
    CanvasSurface* Surface() const { return m_surface.get(); }
    void Flush() const;
    void MarkDirty();

    // Writes the whole canvas as PNG to a host path; false with LastError.
    bool SavePng(const std::filesystem::path& hostPath) const;
    // Logical coordinates; InvalidColor outside the canvas.
    Color GetPixel(int x, int y) const;
    void SetPixel(int x, int y, Color color);

    // Selecting returns what was selected before.
    Pen SelectPen(const Pen& pen);
    Brush SelectBrush(const Brush& brush);
    Font SelectFont(const Font& font);
    const Pen& CurrentPen() const { return m_pen; }
    const Brush& CurrentBrush() const { return m_brush; }
    const Font& CurrentFont() const { return m_font; }

    // Each returns the previous value. Defaults: black text, white
    // background, opaque mode, as on the device.
    Color SetTextColor(Color color);
    Color SetBackgroundColor(Color color);
    BackgroundMode SetBackgroundMode(BackgroundMode mode);
    Color TextColor() const { return m_textColor; }
    Color BackgroundColor() const { return m_backgroundColor; }
    BackgroundMode GetBackgroundMode() const { return m_backgroundMode; }

    // Logical (0,0) lands on this device pixel. Returns the previous origin.
    Point SetViewportOrigin(Point origin);
    Point GetViewportOrigin() const { return m_origin; }

    // Text with the cell's top-left corner at (x, y).
    void TextOut(int x, int y, std::u16string_view text);
    // Lays the text out in rect by flags (TextFlag); returns the height of the
    // text. With CalcRect nothing is drawn and rect is adjusted to the text.
    // Vertical alignment applies to the block of lines, also without
    // SingleLine. Without NoPrefix "&x" underlines x and "&&" is one "&".
    int DrawText(std::u16string_view text, Rect& rect, uint32_t flags);
    Size GetTextExtent(std::u16string_view text) const;
    TextMetrics GetTextMetrics() const;

    void MoveTo(int x, int y);
    Point CurrentPosition() const { return m_position; }
    // From the current position to (x, y), which becomes the new current
    // position; a one-pixel pen leaves (x, y) itself out.
    void LineTo(int x, int y);
    void Polyline(std::span<const Point> points);
    // Filled with the brush (alternate rule), outlined with the pen.
    void Polygon(std::span<const Point> points);
    // Outline with the pen, inside with the brush; covers l..r-1, t..b-1.
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const Rect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void FillRect(const Rect& rect, Color color);
    void FillRect(const Rect& rect, const Brush& brush);
    // Inside the bounding box l..r-1, t..b-1.
    void Ellipse(int left, int top, int right, int bottom);
    // Corners are quarter ellipses ellipseWidth x ellipseHeight.
    void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    // Dotted outline by inverting every other pixel: drawing it twice removes it.
    void FocusRect(const Rect& rect);
    // Two-pixel 3D border inside rect (white/light grey against grey/black).
    void DrawEdge(const Rect& rect, EdgeStyle style);

    // Plain copy of width x height from (srcX, srcY) of src to (x, y). src may
    // be this canvas. False (LastError InvalidParameter) for negative sizes.
    bool BitBlt(int x, int y, int width, int height, const Canvas& src, int srcX, int srcY);
    // Stretches srcRect of src onto dst, nearest neighbour.
    bool StretchBlt(const Rect& dst, const Canvas& src, const Rect& srcRect);
    bool StretchBlt(const Rect& dst, const Canvas& src);
    // As StretchBlt, leaving out source pixels of the key colour.
    bool TransparentBlt(const Rect& dst, const Canvas& src, const Rect& srcRect, Color key);

protected:
    explicit Canvas(std::unique_ptr<CanvasSurface> surface);

private:
    void FillPath(Color color);
    void StrokeThin(std::span<const Point> points, bool closed);
    void StrokePathWide();
    void OutlineCurrentPath();
    void DrawLineText(int x, int y, std::u16string_view text, bool prefix);
    bool CopyPixels(const Rect& dst, const Canvas& src, const Rect& srcRect, const Color* key);

    std::unique_ptr<CanvasSurface> m_surface;
    int m_width = 0;
    int m_height = 0;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    Color m_textColor = 0;
    Color m_backgroundColor = Rgb(255, 255, 255);
    BackgroundMode m_backgroundMode = BackgroundMode::Opaque;
    Point m_origin;
    Point m_position;
};

// Selects an object for a scope and restores the previous one at its end.
class ScopedPen {
public:
    ScopedPen(Canvas& canvas, const Pen& pen) : m_canvas(canvas), m_old(canvas.SelectPen(pen)) {}
    ~ScopedPen() { m_canvas.SelectPen(m_old); }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;

private:
    Canvas& m_canvas;
    Pen m_old;
};

class ScopedBrush {
public:
    ScopedBrush(Canvas& canvas, const Brush& brush)
        : m_canvas(canvas), m_old(canvas.SelectBrush(brush)) {}
    ~ScopedBrush() { m_canvas.SelectBrush(m_old); }
    ScopedBrush(const ScopedBrush&) = delete;
    ScopedBrush& operator=(const ScopedBrush&) = delete;

private:
    Canvas& m_canvas;
    Brush m_old;
};

class ScopedFont {
public:
    ScopedFont(Canvas& canvas, const Font& font)
        : m_canvas(canvas), m_old(canvas.SelectFont(font)) {}
    ~ScopedFont() { m_canvas.SelectFont(m_old); }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;

private:
    Canvas& m_canvas;
    Font m_old;
};

// Saves pen, brush, font, colours, background mode and origin; restores
// them all at the end of the scope.
class CanvasStateSaver {
public:
    explicit CanvasStateSaver(Canvas& canvas);
    ~CanvasStateSaver();
    CanvasStateSaver(const CanvasStateSaver&) = delete;
    CanvasStateSaver& operator=(const CanvasStateSaver&) = delete;

private:
    Canvas& m_canvas;
    Pen m_pen;
    Brush m_brush;
    Font m_font;
    Color m_textColor;
    Color m_backgroundColor;
    BackgroundMode m_mode;
    Point m_origin;
};

} // namespace platform
