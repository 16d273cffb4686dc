// Draws the window mover's button faces (bitmap resources 102 to 119) and
// writes them as 24-bit BMP files: 20 x 20 pixels, magenta as the transparent
// colour. 102..110 are the faces of buttons "1".."9", 111..119 the same faces
// greyed out for disabled buttons.
//
//   moverbitmaps OUTPUT_FOLDER
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int Size = 20;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb Key{255, 0, 255};
constexpr Rgb Ink{0, 0, 0};
constexpr Rgb Accent{0, 64, 160};
constexpr Rgb Paper{255, 255, 255};
constexpr Rgb Grey{128, 128, 128};

using Image = std::array<std::array<Rgb, Size>, Size>; // [y][x]

struct Pt {
    double x, y;
};

Image Blank() {
    Image image;
    for (auto& row : image)
        row.fill(Key);
    return image;
}

// Fills pixels whose centre lies inside the polygon (even-odd rule).
void FillPolygon(Image& image, const std::vector<Pt>& poly, Rgb color) {
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            bool inside = false;
            for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
                const Pt& a = poly[i];
                const Pt& b = poly[j];
                if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x)
                    inside = !inside;
            }
            if (inside)
                image[y][x] = color;
        }
    }
}

void FillRect(Image& image, int left, int top, int right, int bottom, Rgb color) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            image[y][x] = color;
}

// An arrow pointing up: a head and a shaft.
Image ArrowUp() {
    Image image = Blank();
    FillPolygon(image, {{10, 2}, {17, 10}, {3, 10}}, Accent);
    FillRect(image, 8, 10, 12, 18, Accent);
    return image;
}

// A corner bracket at the top left and an arrow running into it.
Image CornerTopLeft() {
    Image image = Blank();
    FillRect(image, 1, 1, 13, 3, Ink);
    FillRect(image, 1, 1, 3, 13, Ink);
    FillPolygon(image, {{5, 5}, {14, 7}, {7, 14}}, Accent);
    FillPolygon(image, {{8.5, 11.5}, {11.5, 8.5}, {18.5, 15.5}, {15.5, 18.5}}, Accent);
    return image;
}

Image Keyboard() {
    Image image = Blank();
    FillRect(image, 1, 4, 19, 16, Ink);
    FillRect(image, 2, 5, 18, 15, Paper);
    for (int x = 3; x <= 15; x += 3)
        FillRect(image, x, 6, x + 2, 8, Ink);
    for (int x = 4; x <= 13; x += 3)
        FillRect(image, x, 9, x + 2, 11, Ink);
    FillRect(image, 6, 12, 14, 14, Ink);
    return image;
}

Image RotateClockwise(const Image& in) {
    Image out = Blank();
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            out[x][Size - 1 - y] = in[y][x];
    return out;
}

Image MirrorHorizontally(const Image& in) {
    Image out = Blank();
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            out[y][Size - 1 - x] = in[y][x];
    return out;
}

Image MirrorVertically(const Image& in) {
    Image out = Blank();
    for (int y = 0; y < Size; ++y)
        out[Size - 1 - y] = in[y];
    return out;
}

bool IsLight(Rgb c) {
    return c.r + c.g + c.b > 600;
}

// Engraved grey, as disabled buttons look: the dark parts of the face in grey
// with a white highlight one pixel down and right; light parts let the button
// show through.
Image Disabled(const Image& in) {
    auto dark = [&](int x, int y) { return !(in[y][x] == Key) && !IsLight(in[y][x]); };
    Image out = Blank();
    for (int y = 0; y + 1 < Size; ++y)
        for (int x = 0; x + 1 < Size; ++x)
            if (dark(x, y))
                out[y + 1][x + 1] = Paper;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            if (dark(x, y))
                out[y][x] = Grey;
    return out;
}

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

bool WriteBmp(const std::string& path, const Image& image) {
    constexpr uint32_t rowBytes = Size * 3; // already a multiple of 4
    constexpr uint32_t pixelBytes = rowBytes * Size;
    std::string out;
    out += "BM";
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, Size);
    Put32(out, Size); // positive: bottom-up rows
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = Size - 1; y >= 0; --y)
        for (int x = 0; x < Size; ++x) {
            out += static_cast<char>(image[y][x].b);
            out += static_cast<char>(image[y][x].g);
            out += static_cast<char>(image[y][x].r);
        }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: moverbitmaps OUTPUT_FOLDER\n");
        return 2;
    }
    const Image corner = CornerTopLeft();
    const Image up = ArrowUp();
    const Image right = RotateClockwise(up);
    const Image down = RotateClockwise(right);
    const Image left = RotateClockwise(down);
    // In the order of the buttons: the four corners, left, up, down, right,
    // the keyboard.
    const std::array<Image, 9> faces = {
        corner,
        MirrorHorizontally(corner),
        MirrorVertically(corner),
        MirrorVertically(MirrorHorizontally(corner)),
        left,
        up,
        down,
        right,
        Keyboard(),
    };
    const std::string folder = argv[1];
    for (size_t i = 0; i < faces.size(); ++i) {
        for (int disabled = 0; disabled < 2; ++disabled) {
            const int id = 102 + static_cast<int>(i) + 9 * disabled;
            const std::string path = folder + "/mover" + std::to_string(id) + ".bmp";
            if (!WriteBmp(path, disabled ? Disabled(faces[i]) : faces[i])) {
                std::fprintf(stderr, "moverbitmaps: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
