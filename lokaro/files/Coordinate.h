#pragma once
// Coordinates as users type them and route files hold them: decimal degrees
// (48.1372, -11.5), degrees and decimal minutes (48°8.232) or degrees,
// minutes and seconds (48°8'13.9). Pure text to number, no I/O.
#include <string_view>

namespace lokaro {

// Decimal degrees of a coordinate text; 0 for text that does not parse. A
// leading "-" negates the whole value, minutes and seconds included.
double parseCoordinate(std::u16string_view text);

} // namespace lokaro
