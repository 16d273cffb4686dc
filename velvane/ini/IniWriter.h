#pragma once
// Writers for the INI files the program saves: UTF-16 LE, byte-order mark
// first, CR LF after every line. Each returns true only if every byte went out.
// Callers that save a whole file write into platform::AtomicFile so a failed
// save never replaces a good file.
#include "platform/file.h"
#include <string_view>

namespace velvane {

bool WriteByteOrderMark(platform::File& file);
bool WriteLine(platform::File& file, std::u16string_view text);
bool WriteSection(platform::File& file, std::u16string_view name);
bool WriteAttribute(platform::File& file, std::u16string_view key, std::u16string_view value);

} // namespace velvane
