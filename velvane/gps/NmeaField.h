#pragma once
// Pure readers of NMEA sentence fields. Field 0 is the address ("$GPRMC"),
// field n the text behind the n-th comma. Nothing here checks the checksum.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velvane {

// Offset just behind the n-th comma of the line (0 for n = 0); nullopt when
// the line ends first. A field that starts with "," is empty.
std::optional<size_t> FindNmeaField(std::string_view line, int n);

// The text of field n up to the next ",", "*", CR or LF; nullopt when the line
// has no field n. The text may be empty.
std::optional<std::string_view> NmeaField(std::string_view line, int n);

// "[-]digits[.digits]" as a fixed-point number with `decimals` places
// ("12.3" with 2 gives 1230, "12.345" gives 1234, "-7" gives -700). Nullopt
// for an empty field or one that is not such a number. Saturates instead of
// overflowing.
std::optional<int32_t> ReadFixedPoint(std::string_view field, int decimals);

// Optional sign and the leading digits, like the C library's conversion
// ("1.8" gives 1); nullopt when there is no digit to read.
std::optional<int32_t> ReadLeadingInteger(std::string_view field);

} // namespace velvane
