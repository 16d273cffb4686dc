#include "platform/power.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/kernel.h"
#include "platform/transcript.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

// The reboot command with CE_POWER_STATE=suspend in its environment, so that
// one command can tell a suspend from a reset.
bool RunSuspendCommand(const std::string& command) {
    std::fflush(nullptr); // the command's output must not overtake ours
    const pid_t pid = ::fork();
    if (pid < 0) {
        SetLastErrorFromErrno(errno, "suspend command");
        return false;
    }
    if (pid == 0) {
        ::setenv("CE_POWER_STATE", "suspend", 1);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            SetLastErrorFromErrno(errno, "suspend command");
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    SetLastError(ErrorCode::NotSupported, "suspend command \"" + command + "\" failed");
    return false;
}

} // namespace

bool SetSystemPowerState(uint32_t state, uint32_t options) {
    (void)options; // nothing here could refuse a state, forced or not
    if (state == PowerState::Reset) {
        TranscriptWrite("powerstate reset");
        return KernelIoControl(IOCTL_HAL_REBOOT);
    }
    if (state == PowerState::Suspend) {
        TranscriptWrite("powerstate suspend");
        const std::string& command = Host().rebootCommand;
        if (command.empty()) {
            std::fprintf(stderr,
                         "suspend requested (no CE_REBOOT_COMMAND set; the host is left alone)\n");
            return true;
        }
        return RunSuspendCommand(command);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", state);
    SetLastError(ErrorCode::NotSupported, std::string("power state ") + hex + " is not supported");
    return false;
}

} // namespace platform
