#pragma once
// Small conversions every settings reader uses on UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velvane {

// 0 when the keyword starts with the text (only the text's characters are
// compared, case-sensitively); otherwise +1 when the keyword's first differing
// character is the greater, else -1. A text longer than the keyword never
// matches.
int KeywordMatch(const char16_t* keyword, std::u16string_view text);

// Optional "-", then decimal digits up to the first other character. Digits
// stop counting once the value exceeds 0x0E666666, so it cannot overflow.
int32_t IniInteger(std::u16string_view text);
// True when the first character is "1", "j", "t" or "y".
bool IniBool(std::u16string_view text);
// "RRGGBB" (capital hex digits; anything else counts 0) as 0x00BBGGRR.
// Missing characters count 0 too.
uint32_t IniColor(std::u16string_view text);

size_t TextLength(const char16_t* text);
// Copies at most capacity - 1 characters, stops at NUL, always terminates
// (when capacity > 0). Returns the number copied.
size_t BoundedCopy(const char16_t* source, char16_t* destination, size_t capacity);
bool IsBlank(char16_t c);
// Index just after the last "\\" or "/" (0 if none).
size_t FileNamePart(std::u16string_view text);
// Index just after the last "." (0 if none).
size_t ExtensionPart(std::u16string_view text);

} // namespace velvane
