#include "files/RouteLine.h"
#include "files/Coordinate.h"

#include <algorithm>
#include <charconv>

namespace lokaro {

namespace {

// The next part of a description: up to FieldWidth characters, cut at the
// last blank from position 21 on (the blank is dropped); without such a blank
// the part is the first FieldWidth characters. text becomes what follows.
std::u16string takeField(std::u16string_view& text) {
    const size_t last = std::min(text.size() - (text.empty() ? 0 : 1), FieldWidth);
    for (size_t i = last; i >= 21 && i < text.size(); --i) {
        if (text[i] == u' ') {
            std::u16string field(text.substr(0, i));
            text.remove_prefix(i + 1);
            return field;
        }
    }
    std::u16string field(text.substr(0, std::min(text.size(), FieldWidth)));
    text.remove_prefix(field.size());
    return field;
}

} // namespace

std::optional<RoutePoint> parseRouteLine(std::u16string_view line) {
    const size_t first = line.find(u',');
    if (first == std::u16string_view::npos)
        return std::nullopt;
    const size_t second = line.find(u',', first + 1);
    if (second == std::u16string_view::npos)
        return std::nullopt;
    RoutePoint point;
    point.longitude = parseCoordinate(line.substr(0, first));
    point.latitude = parseCoordinate(line.substr(first + 1, second - first - 1));
    std::u16string_view rest = line.substr(second + 1);
    const size_t open = rest.find(u'"');
    if (open != std::u16string_view::npos) {
        rest.remove_prefix(open + 1);
        rest = rest.substr(0, rest.find(u'"'));
    }
    point.description = std::u16string(rest);
    return point;
}

DestinationRecord recordFromRoutePoint(const RoutePoint& point) {
    DestinationRecord record;
    std::u16string_view rest = point.description;
    record.name = takeField(rest);
    record.street = takeField(rest);
    record.city = std::u16string(rest.substr(0, std::min(rest.size(), FieldWidth)));
    record.longitude = point.longitude;
    record.latitude = point.latitude;
    return record;
}

std::u16string listText(std::u16string_view description) {
    return std::u16string(description.substr(0, std::min(description.size(), FieldWidth)));
}

std::u16string routePointLine(const DestinationRecord& record) {
    std::u16string text = record.name;
    for (const std::u16string* field :
         {&record.street, &record.houseNumber, &record.postalCode, &record.city}) {
        if (!field->empty())
            text += u" " + *field;
    }
    text = singleLine(text);
    std::replace(text.begin(), text.end(), u'"', u'\'');
    return formatFixed(record.longitude, 8) + u"," + formatFixed(record.latitude, 8) + u",\"" +
           text + u"\"\n";
}

std::u16string singleLine(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c == u'\n' || c == u'\r')
            c = u' ';
    return out;
}

std::u16string formatFixed(double value, int decimals) {
    char buffer[400]; // room for the largest double with 15 decimals
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc())
        return u"0";
    return std::u16string(buffer, end);
}

} // namespace lokaro
