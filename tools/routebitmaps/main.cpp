// Writes the route map panel's button faces (bitmap resources 130 to 144)
// into a folder as route130.bmp ... route144.bmp: 19 x 19 pixels, magenta
// (FF00FF) transparent, in the order of the panel's actions: pan left by a
// window and by a tenth, right, up, down, zoom in and out, centre on the
// standpoint, collapse, expand, and the two AutoMove states.
//
//   routebitmaps OUTDIR
#include "platform/canvas.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::Canvas;
using platform::Point;
using platform::Rgb;

constexpr int Size = 19;
constexpr platform::Color Magenta = Rgb(0xFF, 0x00, 0xFF);
constexpr platform::Color Ink = Rgb(0x20, 0x20, 0x20);
constexpr platform::Color Accent = Rgb(0x00, 0x48, 0x88);
constexpr platform::Color Paper = Rgb(0xFF, 0xFF, 0xFF);
constexpr platform::Color Red = Rgb(0xD0, 0x10, 0x10);
constexpr platform::Color Green = Rgb(0x10, 0x90, 0x30);
constexpr platform::Color Grey = Rgb(0x80, 0x80, 0x80);

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// 24 bits per pixel, bottom-up rows padded to four bytes.
bool WriteBmp(const Canvas& canvas, const std::filesystem::path& path) {
    const int w = canvas.Width();
    const int h = canvas.Height();
    const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * uint32_t(h);
    std::vector<uint8_t> out{'B', 'M'};
    Put32(out, 54 + imageSize);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const platform::Color c = canvas.GetPixel(x, y);
            out.push_back(platform::GetB(c));
            out.push_back(platform::GetG(c));
            out.push_back(platform::GetR(c));
        }
        for (uint32_t pad = uint32_t(w) * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return bool(file);
}

std::unique_ptr<Canvas> Blank() {
    auto canvas = Canvas::Create(Size, Size);
    canvas->FillRect(platform::Rect{0, 0, Size, Size}, Magenta);
    return canvas;
}

// Shapes are drawn pointing right and turned by this mapping.
enum class Facing { Right, Left, Up, Down };

Point Turn(Point p, Facing facing) {
    const int last = Size - 1;
    switch (facing) {
    case Facing::Right:
        return p;
    case Facing::Left:
        return {last - p.x, p.y};
    case Facing::Down:
        return {p.y, p.x};
    case Facing::Up:
        return {p.y, last - p.x};
    }
    return p;
}

// Filled where a pixel's centre lies inside, so that every turn of a shape
// covers the same pixels.
void Triangle(Canvas& canvas, std::vector<Point> points, Facing facing) {
    for (Point& p : points)
        p = Turn(p, facing);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            bool inside = false;
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                const double ax = points[i].x + 0.5, ay = points[i].y + 0.5;
                const double bx = points[j].x + 0.5, by = points[j].y + 0.5;
                if ((ay > py) != (by > py) && px < (bx - ax) * (py - ay) / (by - ay) + ax)
                    inside = !inside;
            }
            if (inside)
                canvas.SetPixel(x, y, Accent);
        }
    }
}

// A whole window: two heads.
std::unique_ptr<Canvas> Pan(Facing facing) {
    auto canvas = Blank();
    Triangle(*canvas, {{2, 3}, {9, 9}, {2, 15}}, facing);
    Triangle(*canvas, {{9, 3}, {16, 9}, {9, 15}}, facing);
    return canvas;
}

// A tenth of a window: one small head.
std::unique_ptr<Canvas> Step(Facing facing) {
    auto canvas = Blank();
    Triangle(*canvas, {{6, 4}, {12, 9}, {6, 14}}, facing);
    return canvas;
}

std::unique_ptr<Canvas> Zoom(bool in) {
    auto canvas = Blank();
    canvas->SelectPen(platform::Pen::Solid(3, Ink));
    canvas->MoveTo(11, 11);
    canvas->LineTo(16, 16);
    canvas->SelectPen(platform::Pen::Solid(2, Ink));
    canvas->SelectBrush(platform::Brush::Solid(Paper));
    canvas->Ellipse(1, 1, 14, 14);
    canvas->FillRect(platform::Rect{4, 7, 11, 9}, Accent);
    if (in)
        canvas->FillRect(platform::Rect{6, 4, 8, 11}, Accent);
    return canvas;
}

// The standpoint cross in a ring: back to where the drive is.
std::unique_ptr<Canvas> Centre() {
    auto canvas = Blank();
    canvas->SelectPen(platform::Pen::Solid(1, Ink));
    canvas->SelectBrush(platform::Brush::Null());
    canvas->Ellipse(2, 2, 17, 17);
    canvas->FillRect(platform::Rect{8, 1, 11, 18}, Red);
    canvas->FillRect(platform::Rect{1, 8, 18, 11}, Red);
    return canvas;
}

std::unique_ptr<Canvas> Collapse() {
    auto canvas = Blank();
    canvas->SelectPen(platform::Pen::Solid(3, Ink));
    canvas->MoveTo(4, 4);
    canvas->LineTo(14, 14);
    canvas->MoveTo(14, 4);
    canvas->LineTo(4, 14);
    return canvas;
}

std::unique_ptr<Canvas> Expand() {
    auto canvas = Blank();
    for (int y : {3, 8, 13})
        canvas->FillRect(platform::Rect{2, y, 17, y + 3}, Ink);
    return canvas;
}

// The map follows the drive: the standpoint on a green disc. Off: the same
// cross in grey, struck through.
std::unique_ptr<Canvas> Follow(bool on) {
    auto canvas = Blank();
    canvas->SelectPen(platform::Pen::Solid(1, on ? Green : Grey));
    canvas->SelectBrush(on ? platform::Brush::Solid(Green) : platform::Brush::Solid(Paper));
    canvas->Ellipse(0, 0, 19, 19);
    const platform::Color cross = on ? Paper : Grey;
    canvas->FillRect(platform::Rect{8, 3, 11, 16}, cross);
    canvas->FillRect(platform::Rect{3, 8, 16, 11}, cross);
    if (!on) {
        canvas->SelectPen(platform::Pen::Solid(3, Red));
        canvas->MoveTo(3, 15);
        canvas->LineTo(15, 3);
    }
    return canvas;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: routebitmaps OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    const std::unique_ptr<Canvas> faces[] = {
        Pan(Facing::Left), Step(Facing::Left), Pan(Facing::Right), Step(Facing::Right),
        Pan(Facing::Up),   Step(Facing::Up),   Pan(Facing::Down),  Step(Facing::Down),
        Zoom(true),        Zoom(false),        Centre(),           Collapse(),
        Expand(),          Follow(true),       Follow(false),
    };
    int id = 130;
    for (const auto& canvas : faces) {
        const std::filesystem::path path = dir / ("route" + std::to_string(id++) + ".bmp");
        if (!canvas || !WriteBmp(*canvas, path)) {
            std::fprintf(stderr, "routebitmaps: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
