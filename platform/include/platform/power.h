#pragma once
// The device's power states. Both run the host's reboot command
// (CE_REBOOT_COMMAND): a reset as the kernel's reboot control does, a suspend
// with CE_POWER_STATE=suspend in the command's environment so that the
// command can tell the two apart. Without a command they are only recorded:
// the host is never touched by default.
#include <cstdint>

namespace platform {

namespace PowerState {
constexpr uint32_t Suspend = 0x00200000;
constexpr uint32_t Reset = 0x00800000;
constexpr uint32_t Force = 0x1000; // an option, not a state
} // namespace PowerState

// Writes "powerstate reset" or "powerstate suspend" to the transcript. Other
// states fail with NotSupported.
bool SetSystemPowerState(uint32_t state, uint32_t options);

} // namespace platform
