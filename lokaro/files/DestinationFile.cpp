#include "files/DestinationFile.h"
#include "files/RouteLine.h"
#include "files/TextFile.h"

#include "platform/file.h"

namespace lokaro {

std::string destinationFileText(const DestinationRecord& record, int decimals) {
    const std::u16string text =
        u"Name:" + singleLine(record.name) + u"\n" + u"Strasse:" + singleLine(record.street) +
        u"\n" + u"HausNR:" + singleLine(record.houseNumber) + u"\n" + u"PLZ:" +
        singleLine(record.postalCode) + u"\n" + u"Ort:" + singleLine(record.city) + u"\n" +
        u"Laenge:" + formatFixed(record.longitude, decimals) + u"\n" + u"Breite:" +
        formatFixed(record.latitude, decimals) + u"\n";
    return toDeviceText(text);
}

bool writeDestinationFile(std::u16string_view devicePath, const DestinationRecord& record,
                          int decimals) {
    return platform::ReplaceFileContents(devicePath, destinationFileText(record, decimals));
}

bool writeEntryDestination(std::u16string_view devicePath, const DestinationRecord& record) {
    DestinationRecord filled = record;
    if (filled.street.empty())
        filled.street = u"L=" + formatFixed(record.longitude, RouteDecimals);
    if (filled.city.empty())
        filled.city = u"B=" + formatFixed(record.latitude, RouteDecimals);
    return writeDestinationFile(devicePath, filled, EntryDecimals);
}

} // namespace lokaro
