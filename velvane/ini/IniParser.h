#pragma once
// Reads a UTF-16 INI file and hands each section header and "key = value"
// line to virtual callbacks; it stores nothing itself. Readers derive from it
// and chain their section ids onto their base's (see FirstSectionId).
#include <string_view>

namespace velvane {

class IniParser {
public:
    // Longest line read at once; longer lines arrive as several.
    static constexpr int MaxLineLength = 259;

    virtual ~IniParser() = default;
    // True when the file opened and began with the byte-order mark, whatever
    // became of its lines. Bad lines are reported in message boxes and skipped.
    // Only regular files are opened. On false, LastError says why; it is
    // FileNotFound or PathNotFound only when there is no such file.
    virtual bool Load(std::u16string_view path);
    // key and value are counted and also NUL-terminated in place.
    virtual bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value);
    // The id the following attributes come with; 0 for an unknown section.
    virtual int OnSection(std::u16string_view name);
    // The first section id a derived class may use.
    virtual int FirstSectionId();
};

} // namespace velvane
