#include "Nmea.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace drivegen {

namespace {

template <typename... Args> std::string Format(const char* format, Args... args) {
    char text[128];
    const int n = std::snprintf(text, sizeof text, format, args...);
    return std::string(text, n < 0 ? 0 : std::min<size_t>(n, sizeof text - 1));
}

// Degrees as whole degrees and ten-thousandths of a minute, rounded once so
// that 59.99999' carries into the next degree instead of printing "60.0000".
std::string FormatAngle(double degrees, int degreeDigits, char positive, char negative) {
    const long long units = std::llround(std::fabs(degrees) * 600000.0);
    return Format("%0*lld%02lld.%04lld,%c", degreeDigits, units / 600000, units % 600000 / 10000,
                  units % 10000, degrees < 0 ? negative : positive);
}

double Knots(double kmh) {
    return kmh / 1.852;
}

} // namespace

uint8_t Checksum(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body)
        sum ^= static_cast<uint8_t>(c);
    return sum;
}

std::string Sentence(std::string_view body) {
    return "$" + std::string(body) + Format("*%02X\r\n", Checksum(body));
}

int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilTime CivilFromUnix(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    return {year,
            month,
            day,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
}

std::optional<int64_t> ParseUtc(std::string_view text) {
    static constexpr std::string_view kPattern = "dddd-dd-ddTdd:dd:dd";
    if (text.size() != kPattern.size())
        return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return std::nullopt;
    }
    auto number = [&](size_t at, size_t length) {
        int n = 0;
        for (size_t i = at; i < at + length; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const int hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const int64_t days = DaysFromCivil(year, month, day);
    if (CivilFromUnix(days * 86400).day != day) // 30 February and the like
        return std::nullopt;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::string FormatTime(int64_t utc) {
    const CivilTime t = CivilFromUnix(utc);
    return Format("%02d%02d%02d.00", t.hour, t.minute, t.second);
}

std::string FormatDate(int64_t utc) {
    const CivilTime t = CivilFromUnix(utc);
    return Format("%02d%02d%02d", t.day, t.month, t.year % 100);
}

std::string FormatLatitude(double degrees) {
    return FormatAngle(degrees, 2, 'N', 'S');
}
std::string FormatLongitude(double degrees) {
    return FormatAngle(degrees, 3, 'E', 'W');
}

// Without a fix receivers keep sending the time from their clock and leave
// every measured field empty.
std::string FormatRmc(const Epoch& e) {
    if (!e.fix)
        return Sentence("GPRMC," + FormatTime(e.utc) + ",V,,,,,,," + FormatDate(e.utc) + ",,,N");
    return Sentence("GPRMC," + FormatTime(e.utc) + ",A," + FormatLatitude(e.latitude) + "," +
                    FormatLongitude(e.longitude) +
                    Format(",%.2f,%.2f,", Knots(e.speedKmh), e.course) + FormatDate(e.utc) +
                    ",,,A");
}

std::string FormatVtg(const Epoch& e) {
    if (!e.fix)
        return Sentence("GPVTG,,,,,,,,,N");
    return Sentence(
        Format("GPVTG,%.2f,T,,M,%.2f,N,%.1f,K,A", e.course, Knots(e.speedKmh), e.speedKmh));
}

std::string FormatGga(const Epoch& e) {
    if (!e.fix)
        return Sentence("GPGGA," + FormatTime(e.utc) + ",,,,,0,00,99.99,,,,,,");
    const auto used = std::count_if(e.satellites.begin(), e.satellites.end(),
                                    [](const SatelliteView& s) { return s.used; });
    return Sentence("GPGGA," + FormatTime(e.utc) + "," + FormatLatitude(e.latitude) + "," +
                    FormatLongitude(e.longitude) +
                    Format(",1,%02d,%.2f,%.1f,M,%.1f,M,,", static_cast<int>(used), e.hdop,
                           e.altitude, e.geoidSeparation));
}

std::string FormatGsa(const Epoch& e) {
    std::string body = e.fix ? "GPGSA,A,3" : "GPGSA,A,1";
    int listed = 0;
    for (const SatelliteView& s : e.satellites)
        if (e.fix && s.used && listed < 12) {
            body += Format(",%02d", s.prn);
            ++listed;
        }
    for (; listed < 12; ++listed)
        body += ",";
    if (!e.fix)
        return Sentence(body + ",99.99,99.99,99.99");
    return Sentence(body + Format(",%.2f,%.2f,%.2f", e.pdop, e.hdop, e.vdop));
}

std::string FormatGsv(const Epoch& e) {
    const int count = static_cast<int>(e.satellites.size());
    const int messages = std::max(1, (count + 3) / 4);
    std::string text;
    for (int m = 0; m < messages; ++m) {
        std::string body = Format("GPGSV,%d,%d,%02d", messages, m + 1, count);
        for (int i = m * 4; i < std::min(count, m * 4 + 4); ++i) {
            const SatelliteView& s = e.satellites[i];
            body += Format(",%02d,%02d,%03d,", s.prn, s.elevation, s.azimuth);
            if (s.snr >= 0)
                body += Format("%02d", s.snr);
        }
        text += Sentence(body);
    }
    return text;
}

std::string FormatEpoch(const Epoch& e) {
    return FormatRmc(e) + FormatVtg(e) + FormatGga(e) + FormatGsa(e) + FormatGsv(e);
}

} // namespace drivegen
