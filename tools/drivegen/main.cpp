// drivegen: writes a simulated drive as an NMEA 0183 log, one epoch a second.
#include "Drive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "usage: drivegen [--seconds N] [--seed S] [--start YYYY-MM-DDTHH:MM:SS] [--origin LAT,LON] "
    "[--gps-ini PATH] OUTPUT\n"
    "  OUTPUT      the NMEA log to write, \"-\" for standard output\n"
    "  --seconds   length of the drive, 1 to 86400, default 600\n"
    "  --seed      varies speeds, signal strengths and height errors, default 1\n"
    "  --start     UTC time of the first epoch, default 2024-12-31T23:55:00\n"
    "  --origin    where the drive starts, degrees, default 54.30658,9.66312\n"
    "  --gps-ini   also write a GPS settings file for COM1 at 4800 baud\n";

// Written beside the target and renamed over it, so a failed run never
// leaves a truncated file behind.
bool WriteFile(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::cerr << "drivegen: cannot write " << path << ": "
                      << (errno ? std::strerror(errno) : "write failed") << "\n";
            std::filesystem::remove(temporary);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::cerr << "drivegen: cannot replace " << path << ": " << ec.message() << "\n";
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
    std::string error;
    const auto arguments = drivegen::ParseArguments(args, error);
    if (!arguments) {
        std::cerr << "drivegen: " << error << "\n" << kUsage;
        return 2;
    }
    const auto epochs = drivegen::SimulateDrive(arguments->drive);
    std::string log;
    for (const drivegen::Epoch& e : epochs)
        log += drivegen::FormatEpoch(e);
    if (arguments->output == "-") {
        std::cout.write(log.data(), static_cast<std::streamsize>(log.size()));
        std::cout.flush();
        if (!std::cout)
            return 1;
    } else {
        if (!WriteFile(arguments->output, log))
            return 1;
        // The true length lets a test hold an odometer against it.
        char length[32];
        std::snprintf(length, sizeof length, "%.1f m", drivegen::DriveLength(epochs));
        std::cerr << "drivegen: " << arguments->drive.seconds << " s of driving over " << length
                  << ", " << log.size() << " bytes written to " << arguments->output << "\n";
    }
    if (!arguments->gpsIni.empty()) {
        if (!WriteFile(arguments->gpsIni, drivegen::GpsIni(1, 4800)))
            return 1;
        std::cerr << "drivegen: GPS settings written to " << arguments->gpsIni << "\n";
    }
    return 0;
}
