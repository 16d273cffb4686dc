#pragma once
// Colour values against the ARGB32 pixels of our surfaces, which are always
// opaque (alpha 255), so premultiplication never changes a value.
#include "platform/geometry.h"
#include <cstdint>

namespace platform {

constexpr uint32_t ToPixel(Color c) {
    return 0xFF000000u | (uint32_t(GetR(c)) << 16) | (uint32_t(GetG(c)) << 8) | GetB(c);
}
constexpr Color FromPixel(uint32_t p) {
    return Rgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p));
}

} // namespace platform
