// Writes the dashboard's embedded bitmaps into a folder:
//   velvanebitmaps OUTDIR   ->  OUTDIR/checkmark.bmp, OUTDIR/splash.bmp
// Magenta (FF00FF) is the transparent colour of both, so shapes that border
// on it are drawn without anti-aliasing and text only over opaque areas.
#include "platform/canvas.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

using platform::Canvas;
using platform::Point;
using platform::Rgb;

constexpr platform::Color Magenta = Rgb(0xFF, 0x00, 0xFF);
constexpr platform::Color DeepBlue = Rgb(0x00, 0x48, 0x88);

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
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
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

// The tick keeps to the top 14 rows: the menu places the bitmap 14 pixels
// above an item's bottom edge, so only that part lies inside the box.
std::unique_ptr<Canvas> CheckMark() {
    auto canvas = Canvas::Create(26, 26);
    canvas->FillRect(platform::Rect{0, 0, 26, 26}, Magenta);
    const Point tick[] = {{5, 7}, {9, 4}, {11, 7}, {19, 0}, {23, 3}, {11, 13}};
    canvas->SelectPen(platform::Pen::Solid(1, Rgb(0x0A, 0x50, 0x14)));
    canvas->SelectBrush(platform::Brush::Solid(Rgb(0x2E, 0xB8, 0x3C)));
    canvas->Polygon(tick);
    return canvas;
}

Point OnArc(int cx, int cy, int radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {cx + int(std::lround(radius * std::cos(a))),
            cy - int(std::lround(radius * std::sin(a)))};
}

// A light card with the name, a speedometer dial and a caption. The program
// writes its version at the right end of the top two fifths.
std::unique_ptr<Canvas> SplashCard() {
    const int w = 210, h = 120;
    auto canvas = Canvas::Create(w, h);
    canvas->FillRect(platform::Rect{0, 0, w, h}, Magenta);
    canvas->SelectPen(platform::Pen::Solid(2, DeepBlue));
    canvas->SelectBrush(platform::Brush::Solid(Rgb(0xF2, 0xF6, 0xFA)));
    canvas->RoundRect(0, 0, w, h, 24, 24);

    canvas->SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas->SetTextColor(DeepBlue);
    canvas->SelectFont(platform::Font::Create(30, 700, u"Arial"));
    platform::Rect title{14, 6, w - 50, 48};
    canvas->DrawText(u"Velvane", title,
                     platform::TextFlag::Left | platform::TextFlag::Bottom |
                         platform::TextFlag::SingleLine | platform::TextFlag::NoPrefix);
    canvas->SelectPen(platform::Pen::Solid(1, Rgb(0x9A, 0xB4, 0xCC)));
    canvas->MoveTo(12, 52);
    canvas->LineTo(w - 12, 52);

    // Dial: a 180 degree scale with ticks, a red needle at about 70 km/h.
    const int cx = 60, cy = 108, radius = 44;
    std::vector<Point> arc;
    for (int d = 180; d >= 0; d -= 6)
        arc.push_back(OnArc(cx, cy, radius, d));
    canvas->SelectPen(platform::Pen::Solid(2, DeepBlue));
    canvas->Polyline(arc);
    for (int d = 180; d >= 0; d -= 30) {
        const Point outer = OnArc(cx, cy, radius, d);
        const Point inner = OnArc(cx, cy, radius - 8, d);
        canvas->MoveTo(outer.x, outer.y);
        canvas->LineTo(inner.x, inner.y);
    }
    const Point tip = OnArc(cx, cy, radius - 4, 118);
    const Point left = OnArc(cx, cy, 4, 118 + 90);
    const Point right = OnArc(cx, cy, 4, 118 - 90);
    const Point needle[] = {left, tip, right};
    canvas->SelectPen(platform::Pen::Solid(1, Rgb(0xB0, 0x10, 0x10)));
    canvas->SelectBrush(platform::Brush::Solid(Rgb(0xE0, 0x20, 0x20)));
    canvas->Polygon(needle);
    canvas->SelectBrush(platform::Brush::Solid(DeepBlue));
    canvas->Ellipse(cx - 5, cy - 5, cx + 5, cy + 5);

    canvas->SelectFont(platform::Font::Create(15, 0, u"Arial"));
    canvas->SetTextColor(Rgb(0x30, 0x40, 0x50));
    platform::Rect caption{112, 60, w - 10, h - 12};
    canvas->DrawText(u"GPS-Tacho\nfür unterwegs", caption,
                     platform::TextFlag::Center | platform::TextFlag::VCenter |
                         platform::TextFlag::NoPrefix);
    return canvas;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velvanebitmaps OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    const std::pair<const char*, std::unique_ptr<Canvas>> bitmaps[] = {
        {"checkmark.bmp", CheckMark()},
        {"splash.bmp", SplashCard()},
    };
    for (const auto& [name, canvas] : bitmaps) {
        if (!canvas || !WriteBmp(*canvas, dir / name)) {
            std::fprintf(stderr, "velvanebitmaps: cannot write %s\n", (dir / name).c_str());
            return 1;
        }
        std::printf("%s\n", (dir / name).c_str());
    }
    return 0;
}
