#pragma once
// Filling a text overlay's buffer.
#include <string_view>

namespace velvane {

// Copies text into buffer; a text that does not fit is cut and reports the
// capacity as its length.
int CopyOverlayText(std::u16string_view text, char16_t* buffer, int capacity);

// The ASCII text of a printf-style formatting into buffer, with the same rule.
int CopyOverlayText(std::string_view ascii, char16_t* buffer, int capacity);

} // namespace velvane
