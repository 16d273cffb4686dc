#pragma once
// Battery and mains state as the device reports it. Read from the host's
// power supplies (CE_POWER_SUPPLY, by default /sys/class/power_supply): a
// laptop shows its real battery, a desktop mains only.
#include <cstdint>

namespace platform {

namespace AcLine {
constexpr uint8_t Offline = 0;
constexpr uint8_t Online = 1;
constexpr uint8_t Unknown = 255;
} // namespace AcLine

// Bits of batteryFlag; Unknown alone when nothing is known.
namespace BatteryFlag {
constexpr uint8_t High = 1;
constexpr uint8_t Low = 2;
constexpr uint8_t Critical = 4;
constexpr uint8_t Charging = 8;
constexpr uint8_t NoBattery = 128;
constexpr uint8_t Unknown = 255;
} // namespace BatteryFlag

constexpr uint8_t UnknownPercent = 255;
constexpr uint32_t UnknownLifeTime = 0xFFFFFFFF;

struct SystemPowerStatus {
    uint8_t acLineStatus = AcLine::Unknown;
    uint8_t batteryFlag = BatteryFlag::Unknown;
    uint8_t batteryLifePercent = UnknownPercent; // 0..100
    uint32_t batteryLifeTime = UnknownLifeTime;  // seconds left while discharging
    uint32_t batteryVoltage = 0;                 // millivolts, 0 when unknown
};

// Fills status from all supplies; several batteries count as one with their
// charge added up. Supplies that belong to other devices (a mouse's battery)
// are left out. False, with LastError, only when the supplies cannot be read
// at all (no such folder); an empty folder is a device on mains without a
// battery.
bool GetSystemPowerStatus(SystemPowerStatus& status);

// The flag bits for a charge in percent: high above 66, low below 33,
// critical below 6.
uint8_t BatteryLevelFlag(int percent);

} // namespace platform
