#pragma once
// Route files (one destination a line), the route state file that says which
// stop of the active route is current, and the destination written from a
// stop. Files that cannot be opened count as absent, without a message.
#include "files/DestinationRecord.h"
#include "files/DevicePaths.h"
#include "files/RouteLine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lokaro {

// Route file lines are read up to this many characters.
constexpr size_t RouteLineLimit = 255;

// One valid record of a route file as the route list shows it.
struct RouteListEntry {
    int index = 0;            // the record index: its line number, from 0
    std::u16string text;      // the description cut to FieldWidth characters
    std::u16string wholeText; // the whole description, for "Info"
};

// Record index (0-based line number; every line counts, valid or not) of a
// route file; nullopt when the file cannot be opened, ends before it, or the
// line is not a valid record.
std::optional<RoutePoint> readRoutePoint(std::u16string_view routeFile, int index);

// Record 0 of the favourites file, which prefills the entry dialog.
std::optional<DestinationRecord> readFavourite();

// Appends a destination as one line to a route file, creating it when
// missing. A last line without its line feed is ended first, so the two
// destinations stay apart.
bool appendRoutePoint(std::u16string_view routeFile, const DestinationRecord& record);

// Copies an 8-bit text file as the device's text stream would: every line,
// also a last one without line feed, with CR LF read as LF. The target is
// replaced whole or not at all.
bool copyTextFile(std::u16string_view from, std::u16string_view to);

class RouteFiles {
public:
    const std::u16string& routeFile() const { return m_routeFile; }
    void setRouteFile(std::u16string_view path) { m_routeFile = path; }
    // The destination loaded last, if any.
    const std::optional<DestinationRecord>& record() const { return m_record; }

    // The route state file with index and the current route file.
    bool writeRouteState(int index);
    // The index it holds (-1 when the file or its "akt=" line is absent);
    // its "route=" line becomes the current route file, in lower case.
    int readRouteState();
    bool deleteRouteState();

    // Makes record index of routeFile the current destination when it is a
    // valid record, and then writes the route state with that index when
    // asked to.
    enum class State { Keep, Write };
    bool loadRecord(std::u16string_view routeFile, int index, State state);

    // Every valid record of routeFile, in file order.
    std::vector<RouteListEntry> listRecords(std::u16string_view routeFile) const;

    // The destination file from the loaded record, with 8 decimals; false
    // when no record was loaded.
    bool writeDestinationFromRecord() const;

private:
    std::u16string m_routeFile{DefaultRouteFile};
    std::optional<DestinationRecord> m_record;
};

} // namespace lokaro
