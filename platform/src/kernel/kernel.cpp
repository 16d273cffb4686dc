#include "platform/kernel.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <cerrno>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

// Runs the command and returns how it ended, for the transcript: "exit=N",
// "signal=N" or "error=...". Fails unless it exited with 0.
bool RunRebootCommand(const std::string& command, std::string& outcome) {
    std::fflush(nullptr); // the command's output must not overtake ours
    auto fail = [&](const char* step) {
        SetLastErrorFromErrno(errno, std::string("reboot command: ") + step);
        outcome = "error=\"" + QuoteForTranscript(FromUtf8(LastError().message)) + "\"";
        return false;
    };
    pid_t pid = ::fork();
    if (pid < 0)
        return fail("fork");
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return fail("wait");
    }
    if (WIFEXITED(status)) {
        outcome = "exit=" + std::to_string(WEXITSTATUS(status));
        if (WEXITSTATUS(status) == 0)
            return true;
        SetLastError(ErrorCode::NotSupported, "reboot command \"" + command + "\" exited with " +
                                                  std::to_string(WEXITSTATUS(status)));
        return false;
    }
    outcome = "signal=" + std::to_string(WTERMSIG(status));
    SetLastError(ErrorCode::NotSupported, "reboot command \"" + command +
                                              "\" was ended by signal " +
                                              std::to_string(WTERMSIG(status)));
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
    const std::string& command = Host().rebootCommand;
    if (command.empty()) {
        TranscriptWrite("reboot");
        std::fprintf(stderr,
                     "reboot requested (no CE_REBOOT_COMMAND set; the host is left alone)\n");
        return true;
    }
    // Recorded once the command has ended, so that a failed reset shows.
    std::string outcome;
    bool ok = RunRebootCommand(command, outcome);
    TranscriptWrite("reboot command=\"" + QuoteForTranscript(FromUtf8(command)) + "\" " + outcome);
    return ok;
}

} // namespace platform
