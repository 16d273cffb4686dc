#pragma once
// The two forms of a settings file: the one the programs read (UTF-16
// little-endian with a byte-order mark, lines ending in CR LF) and the one
// Linux editors write (UTF-8, lines ending in LF). Pure: bytes in, bytes out.
#include <optional>
#include <string>
#include <string_view>

namespace ceini {

// The text of a settings file in either form: UTF-16 with a byte-order mark
// (either byte order), else UTF-8 (a UTF-8 byte-order mark is dropped).
// nullopt with why (naming the line) when the bytes are neither.
std::optional<std::u16string> DecodeSettingsText(std::string_view bytes, std::string& why);

// Every line end (CR LF, LF or a lone CR) becomes lineEnd.
std::u16string WithLineEnds(std::u16string_view text, std::u16string_view lineEnd);

// UTF-16LE with the byte-order mark, lines ending in CR LF.
std::string EncodeDeviceForm(std::u16string_view text);
// UTF-8 without a byte-order mark, lines ending in LF.
std::string EncodeEditorForm(std::u16string_view text);

// Whether bytes are already exactly what EncodeDeviceForm writes.
bool IsDeviceForm(std::string_view bytes);

} // namespace ceini
