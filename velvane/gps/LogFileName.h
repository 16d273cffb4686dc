#pragma once
// The name a log is written under: the configured path with the date and the
// time of the moment it is opened, so that each session of a day gets a file
// of its own when the time is part of the name.
#include "platform/clock.h"

#include <string>
#include <string_view>

namespace velvane {

enum LogNameParts : unsigned {
    LogNameDate = 1, // "_ddMMyy"
    LogNameTime = 2, // "_HH-mm", 24-hour
};

// "\\Logs\\track.nmea" on 6 December 2007 at 14:05 with both parts gives
// "\\Logs\\track_061207_14-05.nmea". The parts go before the extension of
// the file name, or at the end when the file name has none.
std::u16string LogFileName(std::u16string_view path, unsigned parts,
                           const platform::SystemTime& local);

} // namespace velvane
