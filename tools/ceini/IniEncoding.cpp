#include "IniEncoding.h"

#include "platform/text.h"

namespace ceini {

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Strict: overlong forms, surrogates and code points above U+10FFFF are not
// UTF-8, and a file holding them was written in some other code page.
bool DecodeUtf8(std::string_view bytes, std::u16string& out, std::string& why) {
    unsigned line = 1;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead == '\n')
            ++line;
        char32_t cp = 0;
        size_t length = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            cp = lead;
            length = 1;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F;
            length = 2;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F;
            length = 3;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            cp = lead & 0x07;
            length = 4;
            least = 0x10000;
        }
        bool ok = length > 0 && i + length <= bytes.size();
        for (size_t k = 1; ok && k < length; ++k) {
            const unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            ok = IsContinuation(c);
            cp = cp << 6 | (c & 0x3F);
        }
        ok = ok && cp >= least && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
        if (!ok) {
            why = "line " + std::to_string(line) +
                  " is not UTF-8 (a file from another code page? \"iconv -f WINDOWS-1252 "
                  "-t UTF-8\" converts one from Windows)";
            return false;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += length;
    }
    return true;
}

} // namespace

std::optional<std::u16string> DecodeSettingsText(std::string_view bytes, std::string& why) {
    const auto byteAt = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 &&
        ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF))) {
        const bool little = byteAt(0) == 0xFF;
        if (bytes.size() % 2 != 0) {
            why = "UTF-16 with an odd number of bytes: the file is cut short";
            return std::nullopt;
        }
        std::u16string text;
        text.reserve(bytes.size() / 2 - 1);
        for (size_t i = 2; i < bytes.size(); i += 2)
            text += static_cast<char16_t>(little ? byteAt(i) | byteAt(i + 1) << 8
                                                 : byteAt(i) << 8 | byteAt(i + 1));
        return text;
    }
    std::string_view utf8 = bytes;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF")
        utf8.remove_prefix(3);
    std::u16string text;
    if (!DecodeUtf8(utf8, text, why))
        return std::nullopt;
    return text;
}

std::u16string WithLineEnds(std::u16string_view text, std::u16string_view lineEnd) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += lineEnd;
        } else if (text[i] == u'\n') {
            out += lineEnd;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string EncodeDeviceForm(std::u16string_view text) {
    const std::u16string lines = WithLineEnds(text, u"\r\n");
    std::string out = "\xFF\xFE";
    out.reserve(2 + lines.size() * 2);
    for (char16_t c : lines) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string EncodeEditorForm(std::u16string_view text) {
    return platform::ToUtf8(WithLineEnds(text, u"\n"));
}

bool IsDeviceForm(std::string_view bytes) {
    std::string why;
    const auto text = DecodeSettingsText(bytes, why);
    return text && EncodeDeviceForm(*text) == bytes;
}

} // namespace ceini
