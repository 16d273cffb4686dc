#pragma once
// Starts the real programs for end-to-end tests, with host settings in their
// environment.
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

struct Program {
    std::string path;
    std::vector<std::string> args;
    std::map<std::string, std::string> env; // added to (or replacing in) ours
};

// Starts the program; -1 when it could not be started.
pid_t Start(const Program& program);
// Its exit code, or nullopt when it did not end in time (it is then killed)
// or ended by a signal.
std::optional<int> Wait(pid_t pid, std::chrono::milliseconds timeout = std::chrono::seconds(30));
std::optional<int> Run(const Program& program,
                       std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string ReadFile(const std::string& hostPath);
void WriteFile(const std::string& hostPath, const std::string& text);

} // namespace e2e
