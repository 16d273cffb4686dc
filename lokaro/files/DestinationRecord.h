#pragma once
// One destination as the entry dialog, the route files and the destination
// file know it.
#include <string>

namespace lokaro {

// Texts from route files are cut into fields of this many characters.
constexpr size_t FieldWidth = 40;

struct DestinationRecord {
    std::u16string name;
    std::u16string street;
    std::u16string postalCode;
    std::u16string city;
    std::u16string houseNumber; // empty when read from a route file
    double longitude = 0;       // decimal degrees, east positive
    double latitude = 0;        // decimal degrees, north positive
};

} // namespace lokaro
