#include "gps/NmeaField.h"

#include <limits>

namespace velvane {

namespace {

constexpr int64_t Saturation = std::numeric_limits<int32_t>::max();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool EndsField(char c) {
    return c == ',' || c == '*' || c == '\r' || c == '\n';
}

} // namespace

std::optional<size_t> FindNmeaField(std::string_view line, int n) {
    if (n < 0)
        return std::nullopt;
    size_t pos = 0;
    for (int commas = 0; commas < n; ++commas) {
        size_t comma = line.find(',', pos);
        if (comma == std::string_view::npos)
            return std::nullopt;
        pos = comma + 1;
    }
    if (pos >= line.size())
        return std::nullopt;
    return pos;
}

std::optional<std::string_view> NmeaField(std::string_view line, int n) {
    auto start = FindNmeaField(line, n);
    if (!start)
        return std::nullopt;
    size_t end = *start;
    while (end < line.size() && !EndsField(line[end]))
        ++end;
    return line.substr(*start, end - *start);
}

std::optional<int32_t> ReadFixedPoint(std::string_view field, int decimals) {
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    int64_t value = 0;
    bool digits = false;
    for (; i < field.size() && IsDigit(field[i]); ++i) {
        digits = true;
        if (value < Saturation)
            value = value * 10 + (field[i] - '0');
    }
    int places = 0;
    if (i < field.size() && field[i] == '.') {
        for (++i; i < field.size() && IsDigit(field[i]); ++i) {
            digits = true;
            if (places < decimals) {
                if (value < Saturation)
                    value = value * 10 + (field[i] - '0');
                ++places;
            }
        }
    }
    if (!digits || i != field.size())
        return std::nullopt;
    for (; places < decimals; ++places)
        if (value < Saturation)
            value *= 10;
    if (value > Saturation)
        value = Saturation;
    return static_cast<int32_t>(negative ? -value : value);
}

std::optional<int32_t> ReadLeadingInteger(std::string_view field) {
    size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    if (i >= field.size() || !IsDigit(field[i]))
        return std::nullopt;
    int64_t value = 0;
    for (; i < field.size() && IsDigit(field[i]); ++i)
        if (value < Saturation)
            value = value * 10 + (field[i] - '0');
    if (value > Saturation)
        value = Saturation;
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace velvane
