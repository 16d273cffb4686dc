#include "ini/IniWriter.h"
#include <string>

namespace velvane {

namespace {
bool WriteUtf16(platform::File& file, std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return file.Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
}
} // namespace

bool WriteByteOrderMark(platform::File& file) {
    return file.Write("\xFF\xFE", 2);
}

bool WriteLine(platform::File& file, std::u16string_view text) {
    std::u16string line(text);
    line += u"\r\n";
    return WriteUtf16(file, line);
}

bool WriteSection(platform::File& file, std::u16string_view name) {
    std::u16string line = u"[";
    line += name;
    line += u"]";
    return WriteLine(file, line);
}

bool WriteAttribute(platform::File& file, std::u16string_view key, std::u16string_view value) {
    std::u16string line(key);
    line += u" = ";
    line += value;
    return WriteLine(file, line);
}

} // namespace velvane
