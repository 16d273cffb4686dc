#pragma once
// The trip counters' save files and the text helpers the trip overlays share.
// A counter file holds one unsigned 32-bit value, little-endian, exactly 4
// bytes, beside the overlay's INI file.
#include <cstdint>
#include <string>
#include <string_view>

namespace velvane {

// The INI path with its extension (from the last "." of the file name)
// replaced by suffix, or suffix appended when the name has none:
// "\\Skins\\Fahrt.ini" and "_milage.sav" give "\\Skins\\Fahrt_milage.sav".
std::u16string CounterFilePath(std::u16string_view iniPath, std::u16string_view suffix);

enum class CounterRead {
    Missing, // no such file (or it cannot be opened): start from 0 silently
    Short,   // fewer than 4 bytes: start from 0 and say so
    Read,
};
CounterRead ReadCounterFile(std::u16string_view path, uint32_t& value);

enum class CounterWrite {
    Written,
    NotCreated, // the file cannot be made at all: skipped silently
    Failed,     // the write or its commit failed; the old file is kept
};
// All 4 bytes or the old file: a power cut in the middle never leaves a
// shorter file behind.
CounterWrite WriteCounterFile(std::u16string_view path, uint32_t value);

// Copies text into buffer; capacity when it had to be cut short.
int CopyText(std::u16string_view text, char16_t* buffer, int capacity);
// Decimal digits of value as UTF-16.
std::u16string Decimal(uint64_t value);
// value as at least two digits ("07").
std::u16string TwoDigits(uint32_t value);

} // namespace velvane
