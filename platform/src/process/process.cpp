#include "platform/process.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/input.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

namespace {

bool Record(std::u16string_view devicePath, std::u16string_view arguments, bool ok) {
    std::string line = "start program=\"" + QuoteForTranscript(devicePath) + "\" arguments=\"" +
                       QuoteForTranscript(arguments) + "\" result=";
    line +=
        ok ? "ok" : "failed reason=\"" + QuoteForTranscript(FromUtf8(LastError().message)) + "\"";
    TranscriptWrite(line);
    return ok;
}

bool Fail(ErrorCode code, const std::string& message) {
    SetLastError(code, message);
    return false;
}

// Runs in the started program's process: exec, and on failure hand errno
// back through the pipe.
[[noreturn]] void Exec(const char* file, char** argv, char** envp, int report) {
    ::execve(file, argv, envp);
    if (errno == ENOEXEC) { // a script without "#!": the shell runs it, as execvp does
        std::vector<char*> shell{const_cast<char*>("/bin/sh")};
        for (char** a = argv; *a; ++a)
            shell.push_back(*a);
        shell.push_back(nullptr);
        ::execve("/bin/sh", shell.data(), envp);
    }
    const int err = errno;
    (void)!::write(report, &err, sizeof err);
    ::_exit(127);
}

// With exitCode the program is our own child and we wait for it, polling
// every pollMs; otherwise it is started detached.
bool Start(std::u16string_view devicePath, std::u16string_view arguments,
           std::optional<int>* exitCode = nullptr, uint32_t pollMs = 100) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return false;
    const std::string describe = "\"" + ToUtf8(devicePath) + "\"";
    struct stat st {};
    if (::stat(host->c_str(), &st) != 0)
        return Fail(ErrorCode::FileNotFound, "program not found: " + describe);
    if (!S_ISREG(st.st_mode))
        return Fail(ErrorCode::AccessDenied, "not a program file: " + describe);
    if (::access(host->c_str(), X_OK) != 0)
        return Fail(ErrorCode::AccessDenied, "not executable: " + describe);

    // Everything the new process needs is made before the fork.
    const std::string file = host->string();
    const std::string argument = ToUtf8(arguments);
    std::vector<char*> argv{const_cast<char*>(file.c_str())};
    if (!argument.empty())
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const std::string program = "CE_PROGRAM=" + ToUtf8(devicePath);
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "CE_PROGRAM=", 11) != 0)
            envp.push_back(*e);
    envp.push_back(const_cast<char*>(program.c_str()));
    envp.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        SetLastErrorFromErrno(errno, "start " + describe);
        return false;
    }
    std::fflush(nullptr);
    RegCloseStore(); // the registry connection must not be shared with a child
    const pid_t child = ::fork();
    if (child < 0) {
        SetLastErrorFromErrno(errno, "start " + describe);
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // A grandchild runs the program, so it is nobody's zombie and lives on
        // after us, as a program started on the device does.
        ::close(report[0]);
        if (exitCode)
            Exec(file.c_str(), argv.data(), envp.data(), report[1]);
        ::setsid();
        const pid_t program = ::fork();
        if (program != 0)
            ::_exit(program < 0 ? 1 : 0);
        Exec(file.c_str(), argv.data(), envp.data(), report[1]);
    }
    ::close(report[1]);
    int status = 0;
    if (exitCode) {
        // The pipe closes when the program runs, or carries why it could not.
        int err = 0;
        ssize_t got;
        while ((got = ::read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
        }
        ::close(report[0]);
        for (;;) {
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done == child || (done < 0 && errno != EINTR))
                break;
            PumpMessages();
            Sleep(pollMs);
        }
        if (got == static_cast<ssize_t>(sizeof err)) {
            SetLastErrorFromErrno(err, "start " + describe);
            return false;
        }
        *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t got;
    while ((got = ::read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return Fail(ErrorCode::NotEnoughMemory, "cannot create a process for " + describe);
    if (got == static_cast<ssize_t>(sizeof err)) {
        SetLastErrorFromErrno(err, "start " + describe);
        return false;
    }
    return true;
}

} // namespace

bool StartProgram(std::u16string_view devicePath, std::u16string_view arguments) {
    return Record(devicePath, arguments, Start(devicePath, arguments));
}

std::optional<int> RunProgramAndWait(std::u16string_view devicePath, std::u16string_view arguments,
                                     uint32_t pollMs) {
    std::optional<int> exitCode;
    if (!Record(devicePath, arguments, Start(devicePath, arguments, &exitCode, pollMs)))
        return std::nullopt;
    TranscriptWrite("program ended program=\"" + QuoteForTranscript(devicePath) +
                    "\" code=" + std::to_string(exitCode.value_or(-1)));
    return exitCode;
}

} // namespace platform
