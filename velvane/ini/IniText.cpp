#include "ini/IniText.h"

#include <cstdint>

namespace velvane {

int KeywordMatch(const char16_t* keyword, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t k = keyword[i];
        if (k == 0)
            return -1; // the text runs past the keyword; never read beyond its end
        if (k != text[i])
            return k > text[i] ? 1 : -1;
    }
    return 0;
}

int32_t IniInteger(std::u16string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == u'-') {
        negative = true;
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value <= 0x0E666666)
            value = value * 10 + (text[i] - u'0');
    }
    // The digit limit lets one more digit past 2^31 through; saturate rather
    // than wrap into a value of the other sign.
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<int32_t>(negative ? -value : value);
}

bool IniBool(std::u16string_view text) {
    if (text.empty())
        return false;
    const char16_t c = text[0];
    return c == u'1' || c == u'j' || c == u't' || c == u'y';
}

namespace {
uint32_t HexDigit(std::u16string_view text, size_t i) {
    if (i >= text.size())
        return 0;
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 0;
}
} // namespace

uint32_t IniColor(std::u16string_view text) {
    uint32_t red = HexDigit(text, 0) * 16 + HexDigit(text, 1);
    uint32_t green = HexDigit(text, 2) * 16 + HexDigit(text, 3);
    uint32_t blue = HexDigit(text, 4) * 16 + HexDigit(text, 5);
    return red + green * 256 + blue * 65536;
}

size_t TextLength(const char16_t* text) {
    if (!text)
        return 0;
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

size_t BoundedCopy(const char16_t* source, char16_t* destination, size_t capacity) {
    if (capacity == 0)
        return 0;
    size_t n = 0;
    if (source)
        for (; n + 1 < capacity && source[n]; ++n)
            destination[n] = source[n];
    destination[n] = 0;
    return n;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

size_t FileNamePart(std::u16string_view text) {
    size_t cut = text.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? 0 : cut + 1;
}

size_t ExtensionPart(std::u16string_view text) {
    size_t cut = text.rfind(u'.');
    return cut == std::u16string_view::npos ? 0 : cut + 1;
}

} // namespace velvane
