#pragma once
// Starts the real programs for end-to-end tests, with host settings in their
// environment. A started program is a guard: it is killed and reaped when the
// test leaves its scope, however it leaves.
#include "platform/testing/child_process.h"

#include <chrono>
#include <optional>
#include <string>

namespace e2e {

using Program = platform::testing::ProcessSpec;
using platform::testing::ChildProcess;

// Check Started() on the result.
inline ChildProcess Start(const Program& program) {
    return ChildProcess(program);
}
// Its exit code, or nullopt when it could not start, did not end in time (it
// is then killed) or ended by a signal.
std::optional<int> Run(const Program& program,
                       std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string ReadFile(const std::string& hostPath);
void WriteFile(const std::string& hostPath, const std::string& text);

} // namespace e2e
