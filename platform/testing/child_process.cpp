#include "platform/testing/child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform::testing {

namespace {

int OpenOutput(const std::string& path) {
    return path.empty() ? -1 : open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

} // namespace

ChildProcess::ChildProcess(const ProcessSpec& program) {
    // Everything the child needs is built before fork: after it, only calls
    // that are safe in a copy of a threaded process.
    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string kv = *e;
        size_t eq = kv.find('=');
        if (eq != std::string::npos)
            env[kv.substr(0, eq)] = kv.substr(eq + 1);
    }
    for (auto& [k, v] : program.env)
        env[k] = v;
    std::vector<std::string> envStrings;
    for (auto& [k, v] : env)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings = {program.path};
    argStrings.insert(argStrings.end(), program.args.begin(), program.args.end());
    std::vector<char*> argv;
    for (auto& s : argStrings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const int out = OpenOutput(program.stdoutPath);
    const int err = OpenOutput(program.stderrPath);
    int failed[2]; // carries errno when exec fails; closes unread when it works
    if (pipe2(failed, O_CLOEXEC) != 0)
        return;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Killed with the thread that started it, even when that one dies
        // without running a destructor.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        if (out >= 0)
            dup2(out, STDOUT_FILENO);
        if (err >= 0)
            dup2(err, STDERR_FILENO);
        execve(program.path.c_str(), argv.data(), envp.data());
        int e = errno;
        (void)!write(failed[1], &e, sizeof e);
        _exit(127);
    }
    close(failed[1]);
    if (out >= 0)
        close(out);
    if (err >= 0)
        close(err);
    if (pid < 0) {
        close(failed[0]);
        return;
    }
    m_pid = pid;
    int e = 0;
    ssize_t n;
    while ((n = read(failed[0], &e, sizeof e)) < 0 && errno == EINTR) {
    }
    close(failed[0]);
    if (n > 0) {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid), m_ended(other.m_ended), m_status(other.m_status) {
    other.m_pid = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Kill();
        m_pid = other.m_pid;
        m_ended = other.m_ended;
        m_status = other.m_status;
        other.m_pid = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    Kill();
}

void ChildProcess::Reap(int status) {
    m_ended = true;
    m_status = status;
}

bool ChildProcess::Running() {
    if (!Started() || m_ended)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid)
        Reap(status);
    return !m_ended;
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (!Started())
        return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() > end) {
            Kill();
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!WIFEXITED(m_status))
        return std::nullopt;
    return WEXITSTATUS(m_status);
}

void ChildProcess::Stop(int signal, std::chrono::milliseconds grace) {
    if (!Running())
        return;
    kill(m_pid, signal);
    const auto end = std::chrono::steady_clock::now() + grace;
    while (Running() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Kill();
}

void ChildProcess::Kill() {
    if (!Running())
        return;
    kill(m_pid, SIGKILL);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    Reap(status);
}

std::string ChildProcess::Outcome() const {
    if (!Started())
        return "not started";
    if (!m_ended)
        return "running";
    if (WIFEXITED(m_status))
        return "exit " + std::to_string(WEXITSTATUS(m_status));
    return "signal " + std::to_string(WTERMSIG(m_status));
}

} // namespace platform::testing
