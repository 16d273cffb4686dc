#pragma once
// UTF-16 is the programs' text; UTF-8 is the host's; Windows-1252 is the
// device's ANSI code page for 8-bit files and receiver commands.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Invalid UTF-16 (lone surrogates) becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Invalid UTF-8 becomes U+FFFD; never fails.
std::u16string FromUtf8(std::string_view text);

// Windows-1252 to UTF-16; the five bytes the code page leaves undefined map to
// the C1 controls of the same value, as the device does.
std::u16string FromAnsi(std::string_view bytes);
// UTF-16 to Windows-1252. Fails (empty optional, LastError NoUnicodeTranslation
// naming the position) when a character has no place in the code page.
std::optional<std::string> ToAnsi(std::u16string_view text);

// ASCII-only case folding, enough for file patterns and option words.
char16_t AsciiLower(char16_t c);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// Quote a UTF-16 text for a transcript line: \n, \r, \t, \" and \\ escaped.
std::string QuoteForTranscript(std::u16string_view text);

} // namespace platform
