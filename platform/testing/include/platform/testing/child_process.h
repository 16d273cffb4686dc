#pragma once
// A process a test starts. It never outlives the test: the guard kills and
// reaps it on every path out of the test, and the kernel kills it should the
// test process itself die first.
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::testing {

struct ProcessSpec {
    std::string path;
    std::vector<std::string> args = {};
    std::map<std::string, std::string> env = {}; // added to (or replacing in) ours
    std::string stdoutPath = {};                 // empty: ours
    std::string stderrPath = {};                 // empty: ours
};

class ChildProcess {
public:
    ChildProcess() = default;
    // Not started (Started() false) when the program could not be run.
    explicit ChildProcess(const ProcessSpec& program);
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    // Its exit code; nullopt when it did not end in time (it is then killed)
    // or was ended by a signal.
    std::optional<int> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Whether it still runs; an ended one is reaped.
    bool Running();
    // Asks it to end with this signal, waits up to the grace time, then kills.
    void Stop(int signal, std::chrono::milliseconds grace);
    // Kills it now and reaps it.
    void Kill();
    // How it ended, for failure messages: "exit 1", "signal 9", "running", "not started".
    std::string Outcome() const;

private:
    void Reap(int status);

    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = 0;
};

} // namespace platform::testing
