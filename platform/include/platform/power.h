#pragma once
// The device's power states. A reset runs the host's reboot command
// (CE_REBOOT_COMMAND, as the kernel's reboot control does); a suspend is only
// recorded, so that a reboot command can never be taken for a suspend. Neither
// touches the host by default.
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
