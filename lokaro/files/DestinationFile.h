#pragma once
// The destination file: seven lines of 8-bit text,
//   Name:Bahnhof / Strasse:Hauptstrasse / HausNR:1 / PLZ:8000 / Ort:Zuerich /
//   Laenge:8.543210000000000 / Breite:47.123450000000000
// each ended by a line feed, coordinates in decimal degrees with ".".
#include "files/DestinationRecord.h"

#include <string>
#include <string_view>

namespace lokaro {

// The entry dialog writes 15 decimals, destinations from route files 8.
constexpr int EntryDecimals = 15;
constexpr int RouteDecimals = 8;

// The file's bytes. A line break inside a field becomes a blank, so the file
// always has its seven lines.
std::string destinationFileText(const DestinationRecord& record, int decimals);

// Writes the file whole or not at all; false with the platform's LastError.
bool writeDestinationFile(std::u16string_view devicePath, const DestinationRecord& record,
                          int decimals);

// As the entry dialog writes it: 15 decimals, and the coordinates in place of
// an empty street ("L=" and the longitude) or city ("B=" and the latitude)
// with 8 decimals, so the navigation application shows something there.
bool writeEntryDestination(std::u16string_view devicePath, const DestinationRecord& record);

} // namespace lokaro
