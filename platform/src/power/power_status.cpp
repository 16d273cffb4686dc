#include "platform/power_status.h"
#include "platform/error.h"
#include "platform/host.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;

// A supply attribute's first line; empty when the file is not there.
std::string Attribute(const fs::path& supply, const char* name) {
    std::ifstream in(supply / name);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::optional<int64_t> Number(const fs::path& supply, const char* name) {
    const std::string text = Attribute(supply, name);
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0')
        return std::nullopt;
    return value;
}

// One battery's charge in percent: from its energy, else its charge, else
// its own figure.
std::optional<int> PercentOf(const fs::path& supply) {
    for (const auto& [n, f] : {std::pair{"energy_now", "energy_full"},
                               std::pair{"charge_now", "charge_full"}}) {
        const std::optional<int64_t> now = Number(supply, n), full = Number(supply, f);
        if (now && full && *full > 0 && *now >= 0)
            return static_cast<int>(std::min<int64_t>((*now * 100 + *full / 2) / *full, 100));
    }
    if (const std::optional<int64_t> percent = Number(supply, "capacity"))
        return static_cast<int>(std::clamp<int64_t>(*percent, 0, 100));
    return std::nullopt;
}

struct Tally {
    bool mainsSeen = false, mainsOnline = false;
    int batteries = 0;
    bool charging = false, discharging = false, full = false, critical = false;
    // Energy is the only measure batteries can be added up by; without it
    // on every one, their percentages are averaged.
    int64_t energyNow = 0, energyFull = 0;
    bool allEnergy = true;
    int percentSum = 0, percentCount = 0;
    int64_t secondsLeft = -1;
    int64_t voltage = 0;
};

void CountBattery(const fs::path& supply, Tally& t) {
    if (Attribute(supply, "present") == "0")
        return;
    ++t.batteries;
    const std::string state = Attribute(supply, "status");
    t.charging |= state == "Charging";
    t.discharging |= state == "Discharging";
    t.full |= state == "Full";
    t.critical |= Attribute(supply, "capacity_level") == "Critical";
    const std::optional<int64_t> now = Number(supply, "energy_now"),
                                 full = Number(supply, "energy_full");
    if (now && full && *full > 0 && *now >= 0) {
        t.energyNow += *now;
        t.energyFull += *full;
    } else {
        t.allEnergy = false;
    }
    if (const std::optional<int> percent = PercentOf(supply)) {
        t.percentSum += *percent;
        ++t.percentCount;
    }
    if (const std::optional<int64_t> left = Number(supply, "time_to_empty_now"); left && *left >= 0)
        t.secondsLeft = std::max<int64_t>(t.secondsLeft, 0) + *left;
    if (const std::optional<int64_t> microvolts = Number(supply, "voltage_now");
        microvolts && *microvolts > 0 && t.voltage == 0)
        t.voltage = *microvolts / 1000;
}

} // namespace

uint8_t BatteryLevelFlag(int percent) {
    if (percent > 66)
        return BatteryFlag::High;
    if (percent < 6)
        return BatteryFlag::Low | BatteryFlag::Critical;
    if (percent < 33)
        return BatteryFlag::Low;
    return 0;
}

bool GetSystemPowerStatus(SystemPowerStatus& status) {
    status = SystemPowerStatus{};
    const fs::path& folder = Host().powerSupply;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        SetLastError(error == std::errc::no_such_file_or_directory ? ErrorCode::PathNotFound
                                                                   : ErrorCode::AccessDenied,
                     "power supplies \"" + folder.string() + "\": " + error.message());
        return false;
    }
    Tally t;
    for (const fs::directory_entry& entry : it) {
        const fs::path& supply = entry.path();
        // A peripheral's battery is not the device's.
        if (Attribute(supply, "scope") == "Device")
            continue;
        const std::string type = Attribute(supply, "type");
        if (type == "Battery") {
            CountBattery(supply, t);
        } else if (type == "Mains" || type == "USB" || type == "UPS") {
            t.mainsSeen = true;
            t.mainsOnline |= Attribute(supply, "online") == "1";
        }
    }

    if (t.mainsSeen)
        status.acLineStatus = t.mainsOnline ? AcLine::Online : AcLine::Offline;
    else if (t.batteries == 0)
        status.acLineStatus = AcLine::Online; // nothing else could be feeding it
    else if (t.discharging)
        status.acLineStatus = AcLine::Offline;
    else if (t.charging || t.full)
        status.acLineStatus = AcLine::Online;

    if (t.batteries == 0) {
        status.batteryFlag = BatteryFlag::NoBattery;
        return true;
    }
    int percent = -1;
    if (t.allEnergy)
        percent = static_cast<int>(
            std::min<int64_t>((t.energyNow * 100 + t.energyFull / 2) / t.energyFull, 100));
    else if (t.percentCount > 0)
        percent = (t.percentSum + t.percentCount / 2) / t.percentCount;
    if (percent >= 0) {
        status.batteryLifePercent = static_cast<uint8_t>(percent);
        status.batteryFlag = BatteryLevelFlag(percent);
    } else {
        status.batteryFlag = 0;
    }
    if (t.critical)
        status.batteryFlag |= BatteryFlag::Low | BatteryFlag::Critical;
    if (t.charging)
        status.batteryFlag |= BatteryFlag::Charging;
    if (t.secondsLeft >= 0 && t.discharging)
        status.batteryLifeTime =
            static_cast<uint32_t>(std::min<int64_t>(t.secondsLeft, 0xFFFFFFFE));
    status.batteryVoltage = static_cast<uint32_t>(std::min<int64_t>(t.voltage, 0xFFFFFFFF));
    return true;
}

} // namespace platform
