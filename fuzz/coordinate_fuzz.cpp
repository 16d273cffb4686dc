// Fuzz target: coordinate texts and route file lines as lokaro reads them.
// Seeded from fuzz/corpus-coordinate/ (one route line or coordinate a file).
#include "files/Coordinate.h"
#include "files/RouteLine.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace lokaro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes as characters of the same value: Windows-1252 agrees with
    // that for the marks that matter ("°" is 0xB0), and the pure code stays
    // apart from the platform layer.
    const std::u16string line(data, data + size);

    const double value = parseCoordinate(line);
    if (!std::isfinite(value))
        std::abort();

    if (auto point = parseRouteLine(line)) {
        if (!std::isfinite(point->longitude) || !std::isfinite(point->latitude))
            std::abort();
        const DestinationRecord record = recordFromRoutePoint(*point);
        if (record.name.size() > FieldWidth || record.street.size() > FieldWidth ||
            record.city.size() > FieldWidth)
            std::abort();
        // A written line reads back as the same point, to the 8 decimals it keeps.
        std::u16string written = routePointLine(record);
        written.pop_back();
        auto again = parseRouteLine(written);
        if (!again ||
            std::fabs(again->longitude - record.longitude) >
                1e-8 * std::fmax(1, std::fabs(record.longitude)) ||
            std::fabs(again->latitude - record.latitude) >
                1e-8 * std::fmax(1, std::fabs(record.latitude)))
            std::abort();
    }
    return 0;
}
