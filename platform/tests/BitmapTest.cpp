#include "platform/bitmap.h"
#include "platform/error.h"
#include "platform/resources.h"
#include "platform/testing/colors.h"
#include "platform/testing/temp_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;
using platform::testing::TempDevice;

namespace {

using namespace platform::testing::colors;

void Put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// An uncompressed BMP file. rows are top-down; for palette formats they hold
// indexes into palette, else colours. topDown writes a negative height.
std::string MakeBmp(int bpp, const std::vector<std::vector<uint32_t>>& rows,
                    const std::vector<Color>& palette = {}, bool topDown = false) {
    const int height = int(rows.size());
    const int width = int(rows[0].size());
    const int rowBytes = ((width * bpp + 31) / 32) * 4;
    const uint32_t offset = 14 + 40 + uint32_t(palette.size()) * 4;
    std::string out = "BM";
    Put32(out, offset + rowBytes * height);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(topDown ? -height : height));
    Put16(out, 1);
    Put16(out, uint32_t(bpp));
    Put32(out, 0);
    Put32(out, uint32_t(rowBytes * height));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, uint32_t(palette.size()));
    Put32(out, 0);
    for (Color c : palette) {
        out += char(GetB(c));
        out += char(GetG(c));
        out += char(GetR(c));
        out += char(0);
    }
    for (int i = 0; i < height; ++i) {
        const auto& row = rows[topDown ? i : height - 1 - i];
        std::string bytes(size_t(rowBytes), '\0');
        for (int x = 0; x < width; ++x) {
            uint32_t v = row[size_t(x)];
            switch (bpp) {
            case 1:
                bytes[size_t(x / 8)] = char(bytes[size_t(x / 8)] | (v << (7 - x % 8)));
                break;
            case 4:
                bytes[size_t(x / 2)] = char(bytes[size_t(x / 2)] | (v << (x % 2 ? 0 : 4)));
                break;
            case 8:
                bytes[size_t(x)] = char(v);
                break;
            default:
                bytes[size_t(x * bpp / 8)] = char(GetB(v));
                bytes[size_t(x * bpp / 8 + 1)] = char(GetG(v));
                bytes[size_t(x * bpp / 8 + 2)] = char(GetR(v));
            }
        }
        out += bytes;
    }
    return out;
}

std::span<const uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

} // namespace

TEST(Bitmap, LoadsBmpOfEveryDepthTheRightWayUp) {
    // Top row red, blue, white; bottom row black, green, red (1-bit: only
    // black and white, in the same places where they exist).
    const std::vector<Color> palette = {Black, Red, Blue, White, Green};
    const std::vector<std::vector<uint32_t>> indexed = {{1, 2, 3}, {0, 4, 1}};
    const std::vector<std::vector<uint32_t>> direct = {{Red, Blue, White}, {Black, Green, Red}};
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::vector<Color>> expected;
    };
    const Case cases[] = {
        {"1 bit",
         MakeBmp(1, {{1, 0, 1}, {0, 1, 1}}, {Black, White}),
         {{White, Black, White}, {Black, White, White}}},
        {"4 bit", MakeBmp(4, indexed, palette), {{Red, Blue, White}, {Black, Green, Red}}},
        {"8 bit", MakeBmp(8, indexed, palette), {{Red, Blue, White}, {Black, Green, Red}}},
        {"24 bit", MakeBmp(24, direct), {{Red, Blue, White}, {Black, Green, Red}}},
        {"24 bit top-down",
         MakeBmp(24, direct, {}, true),
         {{Red, Blue, White}, {Black, Green, Red}}},
        {"32 bit", MakeBmp(32, direct), {{Red, Blue, White}, {Black, Green, Red}}},
    };
    TempDevice device;
    for (const Case& k : cases) {
        device.Put(u"\\Storage Card\\pic.bmp", k.file);
        auto bitmap = Bitmap::Load(u"\\Storage Card\\pic.bmp");
        ASSERT_TRUE(bitmap) << k.name << ": " << LastError().message;
        EXPECT_EQ(bitmap->Width(), 3) << k.name;
        EXPECT_EQ(bitmap->Height(), 2) << k.name;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(bitmap->GetPixel(x, y), k.expected[size_t(y)][size_t(x)])
                    << k.name << " at " << x << "," << y;
    }
}

TEST(Bitmap, PngRoundTripAndStretchOfALoadedBitmap) {
    TempDevice device;
    auto picture = Canvas::Create(2, 2);
    picture->SetPixel(0, 0, Red);
    picture->SetPixel(1, 1, Blue);
    device.Put(u"\\Skins\\x.txt", ""); // the folder
    ASSERT_TRUE(picture->SavePng(device.HostPath(u"\\Skins\\pic.png")));

    auto bitmap = Bitmap::Load(u"/Skins/pic.png");
    ASSERT_TRUE(bitmap) << LastError().message;
    EXPECT_EQ(bitmap->GetPixel(0, 0), Red);
    EXPECT_EQ(bitmap->GetPixel(1, 0), White);
    EXPECT_EQ(bitmap->GetPixel(1, 1), Blue);

    // Stretched over a 4x4 area each pixel becomes a 2x2 block.
    auto screen = Canvas::Create(4, 4);
    EXPECT_TRUE(screen->StretchBlt({0, 0, 4, 4}, *bitmap));
    EXPECT_EQ(screen->GetPixel(1, 1), Red);
    EXPECT_EQ(screen->GetPixel(2, 1), White);
    EXPECT_EQ(screen->GetPixel(2, 2), Blue);
    EXPECT_EQ(screen->GetPixel(3, 3), Blue);
}

TEST(Bitmap, FailuresSayWhy) {
    TempDevice device;
    EXPECT_FALSE(Bitmap::Load(u"\\Skins\\missing.bmp"));
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);
    device.Put(u"\\Skins\\other.bmp", "");
    EXPECT_FALSE(Bitmap::Load(u"\\Skins\\missing.bmp"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);

    device.Put(u"\\Skins\\text.bmp", "this is not a picture");
    EXPECT_FALSE(Bitmap::Load(u"\\Skins\\text.bmp"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);
    EXPECT_NE(LastError().message.find("text.bmp"), std::string::npos) << LastError().message;

    // A header that promises more rows than the file holds.
    std::string whole = MakeBmp(24, {{Red, Red}, {Red, Red}});
    device.Put(u"\\Skins\\cut.bmp", whole.substr(0, 40));
    EXPECT_FALSE(Bitmap::Load(u"\\Skins\\cut.bmp"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);

    EXPECT_FALSE(Bitmap::Decode({}));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);
}

TEST(Bitmap, ResourcesByIdAndTransparentDrawing) {
    // A 2x1 check mark: red on the magenta key colour.
    static const std::string mark = MakeBmp(24, {{Red, Magenta}});
    RegisterResource(9101, Bytes(mark));
    auto bitmap = Bitmap::LoadResource(9101);
    ASSERT_TRUE(bitmap) << LastError().message;

    auto screen = Canvas::Create(4, 1);
    screen->FillRect({0, 0, 4, 1}, Green);
    EXPECT_TRUE(screen->TransparentBlt({0, 0, 4, 1}, *bitmap, {0, 0, 2, 1}, Magenta));
    EXPECT_EQ(screen->GetPixel(0, 0), Red);
    EXPECT_EQ(screen->GetPixel(1, 0), Red);
    EXPECT_EQ(screen->GetPixel(2, 0), Green);
    EXPECT_EQ(screen->GetPixel(3, 0), Green);

    EXPECT_TRUE(FindResource(9101).size() == mark.size());
    EXPECT_FALSE(Bitmap::LoadResource(9102));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_NE(LastError().message.find("9102"), std::string::npos);
    RegisterResource(9103, {});
    EXPECT_FALSE(Bitmap::LoadResource(9103));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);
}
