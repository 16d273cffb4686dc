#pragma once
// Kernel I/O control: the device's few hardware requests. Here a reboot never
// touches the host: it runs the reboot command of the host settings
// (CE_REBOOT_COMMAND) or, without one, is only recorded.
#include <cstdint>

namespace platform {

inline constexpr uint32_t IOCTL_HAL_REBOOT = 0x0101003C;

// Unknown codes fail with NotSupported. IOCTL_HAL_REBOOT takes no buffers; it
// writes a transcript line starting with "reboot" (with the command and how it
// ended, when one is set) and fails when the reboot command cannot run or does
// not exit with 0.
bool KernelIoControl(uint32_t code, const void* in = nullptr, uint32_t inSize = 0,
                     void* out = nullptr, uint32_t outSize = 0, uint32_t* returned = nullptr);

} // namespace platform
