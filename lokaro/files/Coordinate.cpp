#include "files/Coordinate.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace lokaro {

namespace {

// Seconds divide by two units in the last place above 3600, as the device's
// arithmetic did: destination files then match those it wrote to the bit.
const double SecondsPerDegree = std::bit_cast<double>(uint64_t{0x40AC200000000002});

bool isBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// A decimal number at the start of text as the C library reads one (leading
// blanks, sign, digits, point, exponent); nothing else, so "inf", "nan" and
// hexadecimal never become coordinates. False when there is none.
bool readNumber(std::u16string_view text, double& value) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    std::string ascii;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits)
        ascii += static_cast<char>(text[i]);
    if (i < text.size() && text[i] == u'.') {
        ascii += '.';
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits)
            ascii += static_cast<char>(text[i]);
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == u'-' || text[j] == u'+'))
            exponent += static_cast<char>(text[j++]);
        if (j < text.size() && isDigit(text[j])) {
            for (; j < text.size() && isDigit(text[j]); ++j)
                exponent += static_cast<char>(text[j]);
            ascii += exponent;
        }
    }
    double parsed = 0;
    auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (error != std::errc() || end != ascii.data() + ascii.size())
        return false;
    value = parsed;
    return true;
}

// The number right after the first mark, or 0.
double numberAfter(std::u16string_view text, char16_t mark) {
    size_t at = text.find(mark);
    double value = 0;
    if (at != std::u16string_view::npos && !readNumber(text.substr(at + 1), value))
        value = 0;
    return value;
}

} // namespace

double parseCoordinate(std::u16string_view text) {
    double degrees = 0;
    if (!readNumber(text, degrees))
        degrees = 0;
    // signbit, not < 0: "-0°30" lies west or south of zero too.
    const bool negative = std::signbit(degrees);
    double value = std::fabs(degrees);
    value += numberAfter(text, u'°') / 60;
    value += numberAfter(text, u'\'') / SecondsPerDegree;
    if (!std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

} // namespace lokaro
