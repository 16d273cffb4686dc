#include "platform/kernel.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/transcript.h"

#include <cerrno>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

bool RunRebootCommand(const std::string& command) {
    std::fflush(nullptr); // the command's output must not overtake ours
    pid_t pid = ::fork();
    if (pid < 0) {
        SetLastErrorFromErrno(errno, "reboot command");
        return false;
    }
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            SetLastErrorFromErrno(errno, "reboot command");
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string how = WIFEXITED(status) ? "exited with " + std::to_string(WEXITSTATUS(status))
                                        : "was ended by signal " + std::to_string(WTERMSIG(status));
    SetLastError(ErrorCode::NotSupported, "reboot command \"" + command + "\" " + how);
    return false;
}

} // namespace

bool KernelIoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t* returned) {
    (void)in;
    (void)out;
    if (returned)
        *returned = 0;
    if (code != IOCTL_HAL_REBOOT) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", code);
        SetLastError(ErrorCode::NotSupported,
                     std::string("kernel I/O control ") + hex + " is not supported");
        return false;
    }
    if (inSize != 0 || outSize != 0) {
        SetLastError(ErrorCode::InvalidParameter, "the reboot control takes no buffers");
        return false;
    }
    TranscriptWrite("reboot");
    const std::string& command = Host().rebootCommand;
    if (command.empty()) {
        std::fprintf(stderr,
                     "reboot requested (no CE_REBOOT_COMMAND set; the host is left alone)\n");
        return true;
    }
    return RunRebootCommand(command);
}

} // namespace platform
