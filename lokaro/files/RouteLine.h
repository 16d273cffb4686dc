#pragma once
// One line of a route file: longitude, latitude and a quoted description,
//   8.54321000,47.12345000,"Bahnhof Hauptstrasse 1 8000 Zuerich"
// Pure text to values and back, no I/O.
#include "files/DestinationRecord.h"

#include <optional>
#include <string>
#include <string_view>

namespace lokaro {

struct RoutePoint {
    double longitude = 0;
    double latitude = 0;
    std::u16string description;
};

// The point a line holds, without its line end; nullopt unless both commas
// are there. The coordinates may be in any notation parseCoordinate reads.
std::optional<RoutePoint> parseRouteLine(std::u16string_view line);

// The description cut into name, street and city of FieldWidth characters
// each, preferring to cut at a blank; house number and postal code stay empty.
DestinationRecord recordFromRoutePoint(const RoutePoint& point);

// What the route list shows of a description.
std::u16string listText(std::u16string_view description);

// The line that appends a destination to a route file, line feed included:
// "%.8f,%.8f,\"" then the name and every non-empty field of street, house
// number, postal code and city after a blank, then the closing quote. A
// double quote inside a field becomes "'": it would end the description.
std::u16string routePointLine(const DestinationRecord& record);

// A field for one line of a line-based file: its line breaks become blanks so
// that the file keeps its line count.
std::u16string singleLine(std::u16string_view text);

// value with this many decimals and "." as the decimal separator, as "%.*f".
std::u16string formatFixed(double value, int decimals);

} // namespace lokaro
