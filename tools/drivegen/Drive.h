#pragma once
// A simulated drive in and around Rendsburg: town streets with traffic
// lights, the road tunnel under the canal, the motorway over the high
// bridge and back into town. Courses and heights are plausible, not
// surveyed. The same options always give the same epochs.
#include "Nmea.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace drivegen {

struct DriveOptions {
    int seconds = 600;
    uint64_t seed = 1;
    int64_t start = 1735689300; // 2024-12-31T23:55:00: the drive crosses midnight and the new year
    // Where the drive starts, degrees; Rendsburg, north of the canal. The
    // route keeps its shape anywhere, across the equator and the 180°
    // meridian too.
    double latitude = 54.30658;
    double longitude = 9.66312;
};

// Dilution of precision of the satellites marked as used; ok is false with
// fewer than four of them or a degenerate geometry.
struct Dop {
    bool ok = false;
    double pdop = 0.0, hdop = 0.0, vdop = 0.0;
};
Dop ComputeDop(const std::vector<SatelliteView>& satellites);

std::vector<Epoch> SimulateDrive(const DriveOptions& options);
// The whole drive as NMEA text, one epoch per second.
std::string DriveLog(const DriveOptions& options);

// A GPS settings file for the sample device: UTF-16 LE with BOM, CR LF.
std::string GpsIni(int comPort, int baudRate);

struct Arguments {
    DriveOptions drive;
    std::string output; // "-" for standard output
    std::string gpsIni; // empty: none written
};
// The metres the simulated car really travelled over the whole drive.
double DriveLength(const std::vector<Epoch>& epochs);

// Command line of the tool; nullopt with a message in error for bad input.
std::optional<Arguments> ParseArguments(const std::vector<std::string>& args, std::string& error);

} // namespace drivegen
