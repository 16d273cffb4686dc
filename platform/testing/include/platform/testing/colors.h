#pragma once
// The plain colours pixel tests probe for, as 0x00BBGGRR.
#include "platform/geometry.h"

namespace platform::testing::colors {

inline constexpr Color White = Rgb(255, 255, 255);
inline constexpr Color Black = Rgb(0, 0, 0);
inline constexpr Color Red = Rgb(255, 0, 0);
inline constexpr Color Green = Rgb(0, 255, 0);
inline constexpr Color Blue = Rgb(0, 0, 255);
inline constexpr Color Magenta = Rgb(255, 0, 255);

} // namespace platform::testing::colors
