#include "platform/inputpanel.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/transcript.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

// The host cannot tell us whether its keyboard is up, so the state is what we
// last set; it belongs to the command it was set with.
struct PanelState {
    std::string command;
    bool shown = false;
};

PanelState& State() {
    static PanelState state;
    const std::string& command = Host().keyboardCommand;
    if (state.command != command) {
        state.command = command;
        state.shown = false;
    }
    return state;
}

bool NoPanel() {
    SetLastError(ErrorCode::NotSupported, "no input panel (CE_KEYBOARD_COMMAND is not set)");
    return false;
}

bool RunKeyboardCommand(const std::string& command, const char* argument) {
    std::fflush(nullptr); // the command's output must not overtake ours
    const std::string line = command + " " + argument;
    pid_t pid = ::fork();
    if (pid < 0) {
        SetLastErrorFromErrno(errno, "keyboard command");
        return false;
    }
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            SetLastErrorFromErrno(errno, "keyboard command");
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string how = WIFEXITED(status) ? "exited with " + std::to_string(WEXITSTATUS(status))
                                        : "was ended by signal " + std::to_string(WTERMSIG(status));
    SetLastError(ErrorCode::NotSupported, "keyboard command \"" + line + "\" " + how);
    return false;
}

} // namespace

bool InputPanelAvailable() {
    return !Host().keyboardCommand.empty();
}

bool GetInputPanelInfo(InputPanelInfo& info) {
    if (!InputPanelAvailable())
        return NoPanel();
    info.flags = State().shown ? InputPanelFlag::On : 0;
    return true;
}

bool ShowInputPanel(bool show) {
    if (!InputPanelAvailable())
        return NoPanel();
    const char* argument = show ? "show" : "hide";
    TranscriptWrite(std::string("inputpanel ") + argument);
    PanelState& state = State();
    if (!RunKeyboardCommand(state.command, argument))
        return false;
    state.shown = show;
    return true;
}

} // namespace platform
