#include "files/RouteFiles.h"
#include "files/DestinationFile.h"
#include "files/TextFile.h"
#include "files/TextNumber.h"

#include "platform/file.h"
#include "platform/text.h"

namespace lokaro {

namespace {

// "route=" and a path of up to 260 characters: a state file we wrote is
// always read back whole, however long the route file's path.
constexpr size_t RouteStateLineLimit = 6 + 260;

} // namespace

std::optional<RoutePoint> readRoutePoint(std::u16string_view routeFile, int index) {
    if (index < 0)
        return std::nullopt;
    auto reader = TextFileReader::Open(routeFile);
    if (!reader)
        return std::nullopt;
    std::u16string line;
    for (int i = 0; i <= index; ++i)
        if (!reader->ReadLine(line, RouteLineLimit))
            return std::nullopt;
    return parseRouteLine(line);
}

std::optional<DestinationRecord> readFavourite() {
    if (auto point = readRoutePoint(FavouritesFile, 0))
        return recordFromRoutePoint(*point);
    return std::nullopt;
}

bool appendRoutePoint(std::u16string_view routeFile, const DestinationRecord& record) {
    auto file = platform::File::Open(routeFile, platform::FileAccess::ReadWrite,
                                     platform::FileShare::Read, platform::FileCreation::OpenAlways);
    if (!file)
        return false;
    std::string bytes = toDeviceText(routePointLine(record));
    if (file->Size() > 0) {
        char last = 0;
        uint32_t got = 0;
        if (!file->Seek(-1, platform::SeekOrigin::End) || !file->Read(&last, 1, got) || got != 1)
            return false;
        if (last != '\n')
            bytes.insert(0, "\n");
    }
    return file->Seek(0, platform::SeekOrigin::End) &&
           file->Write(bytes.data(), static_cast<uint32_t>(bytes.size())) && file->Flush();
}

bool copyTextFile(std::u16string_view from, std::u16string_view to) {
    auto bytes = platform::ReadFileContents(from);
    return bytes && platform::ReplaceFileContents(to, textModeBytes(*bytes));
}

bool RouteFiles::writeRouteState(int index) {
    const std::u16string text = u"akt=" + platform::FromUtf8(std::to_string(index)) + u"\nroute=" +
                                singleLine(m_routeFile) + u"\n";
    return platform::ReplaceFileContents(RouteStateFile, toDeviceText(text));
}

int RouteFiles::readRouteState() {
    auto reader = TextFileReader::Open(RouteStateFile);
    if (!reader)
        return -1;
    int index = -1;
    std::u16string line;
    while (reader->ReadLine(line, RouteStateLineLimit)) {
        // Only ASCII letters: the device tree finds names whatever their
        // ASCII case, so the path still names the same file.
        for (char16_t& c : line)
            c = platform::AsciiLower(c);
        std::u16string_view view = line;
        if (view.starts_with(u"akt="))
            index = readInt(view.substr(4));
        else if (view.starts_with(u"route="))
            m_routeFile = view.substr(6);
    }
    return index;
}

bool RouteFiles::deleteRouteState() {
    return platform::DeleteFile(RouteStateFile);
}

bool RouteFiles::loadRecord(std::u16string_view routeFile, int index, State state) {
    auto point = readRoutePoint(routeFile, index);
    if (!point)
        return false;
    m_record = recordFromRoutePoint(*point);
    if (state == State::Write)
        writeRouteState(index);
    return true;
}

std::vector<RouteListEntry> RouteFiles::listRecords(std::u16string_view routeFile) const {
    std::vector<RouteListEntry> entries;
    auto reader = TextFileReader::Open(routeFile);
    if (!reader)
        return entries;
    std::u16string line;
    for (int index = 0; reader->ReadLine(line, RouteLineLimit); ++index) {
        if (auto point = parseRouteLine(line))
            entries.push_back({index, listText(point->description), point->description});
    }
    return entries;
}

bool RouteFiles::writeDestinationFromRecord() const {
    return m_record && writeDestinationFile(DestinationFile, *m_record, RouteDecimals);
}

} // namespace lokaro
