#include "platform/power.h"
#include "platform/error.h"
#include "platform/kernel.h"
#include "platform/transcript.h"

#include <cstdio>
#include <string>

namespace platform {

bool SetSystemPowerState(uint32_t state, uint32_t options) {
    (void)options; // nothing here could refuse a state, forced or not
    if (state == PowerState::Reset) {
        TranscriptWrite("powerstate reset");
        return KernelIoControl(IOCTL_HAL_REBOOT);
    }
    if (state == PowerState::Suspend) {
        TranscriptWrite("powerstate suspend");
        std::fprintf(stderr, "suspend requested (recorded only; the host is left alone)\n");
        return true;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", state);
    SetLastError(ErrorCode::NotSupported, std::string("power state ") + hex + " is not supported");
    return false;
}

} // namespace platform
