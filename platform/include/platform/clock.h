#pragma once
// Time as the device knows it. In the headless backend the clock is virtual
// and moves only when told; setting the system time never touches the host.
#include <cstdint>

namespace platform {

struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;     // 1..12
    uint16_t dayOfWeek = 0; // 0 Sunday
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// Milliseconds since start; wraps after 49.7 days like the device's counter.
uint32_t GetTickCount();
SystemTime GetSystemTime(); // UTC
SystemTime GetLocalTime();
// Sets the device's UTC time: an offset kept by the platform layer, recorded in
// the transcript. False for an invalid date.
bool SetSystemTime(const SystemTime& utc);

// Converts between SystemTime and milliseconds since 1970 (UTC).
int64_t ToUnixMilliseconds(const SystemTime& t);
SystemTime FromUnixMilliseconds(int64_t ms);
bool IsValid(const SystemTime& t);

} // namespace platform
