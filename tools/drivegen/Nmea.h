#pragma once
// NMEA 0183 text of one epoch, written as pure functions of the epoch's state.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drivegen {

struct SatelliteView {
    int prn = 0;
    int elevation = 0; // degrees
    int azimuth = 0;   // degrees
    int snr = -1;      // dB-Hz; -1 while not tracked (the field stays empty)
    bool used = false; // part of the solution
};

// What the receiver reports for one second.
struct Epoch {
    int64_t utc = 0; // seconds since 1970-01-01
    bool fix = false;
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0; // degrees, east positive
    double speedKmh = 0.0;
    double course = 0.0;   // degrees true
    double altitude = 0.0; // metres above mean sea level
    double geoidSeparation = 0.0;
    double pdop = 99.99, hdop = 99.99, vdop = 99.99;
    std::vector<SatelliteView> satellites; // in view, in channel order
    double travelled = 0.0;                // metres since the start, the truth behind the fixes
};

// XOR of the bytes between "$" and "*".
uint8_t Checksum(std::string_view body);
// "$" + body + "*HH" + CR LF.
std::string Sentence(std::string_view body);

// Calendar (proleptic Gregorian, UTC).
int64_t DaysFromCivil(int year, int month, int day);
struct CivilTime {
    int year, month, day, hour, minute, second;
};
CivilTime CivilFromUnix(int64_t seconds);
// "YYYY-MM-DDTHH:MM:SS"; nullopt for anything else or a date that does not exist.
std::optional<int64_t> ParseUtc(std::string_view text);

std::string FormatTime(int64_t utc); // "hhmmss.00"
std::string FormatDate(int64_t utc); // "ddmmyy"
// "ddmm.mmmm,N" and "dddmm.mmmm,E": four decimals of a minute.
std::string FormatLatitude(double degrees);
std::string FormatLongitude(double degrees);

std::string FormatRmc(const Epoch& e);
std::string FormatVtg(const Epoch& e);
std::string FormatGga(const Epoch& e);
std::string FormatGsa(const Epoch& e);
std::string FormatGsv(const Epoch& e); // one or more sentences
// All sentences of the epoch in the order a receiver sends them.
std::string FormatEpoch(const Epoch& e);

} // namespace drivegen
