#include "platform/clock.h"
#include "backend.h"
#include "platform/transcript.h"

#include <ctime>

namespace platform {

namespace {
// Device time minus host time, in ms: what SetSystemTime moved the clock by.
int64_t g_deviceOffsetMs = 0;

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
} // namespace

uint32_t GetTickCount() {
    return static_cast<uint32_t>(CurrentBackend().MonotonicMs());
}

bool IsValid(const SystemTime& t) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1)
        return false;
    int dim = days[t.month - 1] + (t.month == 2 && IsLeap(t.year) ? 1 : 0);
    return t.day <= dim && t.hour < 24 && t.minute < 60 && t.second < 60 && t.milliseconds < 1000;
}

int64_t ToUnixMilliseconds(const SystemTime& t) {
    int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.milliseconds;
}

SystemTime FromUnixMilliseconds(int64_t ms) {
    int64_t days = ms >= 0 ? ms / 86400000 : (ms - 86399999) / 86400000;
    int64_t rest = ms - days * 86400000;
    // Civil from days (Howard Hinnant's algorithm).
    int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    SystemTime t;
    t.year = static_cast<uint16_t>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
    t.month = static_cast<uint16_t>(m);
    t.day = static_cast<uint16_t>(d);
    t.dayOfWeek = static_cast<uint16_t>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    t.hour = static_cast<uint16_t>(rest / 3600000);
    t.minute = static_cast<uint16_t>(rest / 60000 % 60);
    t.second = static_cast<uint16_t>(rest / 1000 % 60);
    t.milliseconds = static_cast<uint16_t>(rest % 1000);
    return t;
}

SystemTime GetSystemTime() {
    return FromUnixMilliseconds(CurrentBackend().HostUtcMs() + g_deviceOffsetMs);
}

SystemTime GetLocalTime() {
    int64_t utc = CurrentBackend().HostUtcMs() + g_deviceOffsetMs;
    time_t seconds = static_cast<time_t>(utc / 1000);
    struct tm local {};
    localtime_r(&seconds, &local);
    return FromUnixMilliseconds(utc + static_cast<int64_t>(local.tm_gmtoff) * 1000);
}

bool SetSystemTime(const SystemTime& utc) {
    if (!IsValid(utc))
        return false;
    g_deviceOffsetMs = ToUnixMilliseconds(utc) - CurrentBackend().HostUtcMs();
    char buf[64];
    snprintf(buf, sizeof buf, "settime utc=%04u-%02u-%02uT%02u:%02u:%02u.%03u", utc.year, utc.month,
             utc.day, utc.hour, utc.minute, utc.second, utc.milliseconds);
    TranscriptWrite(buf);
    return true;
}

} // namespace platform
