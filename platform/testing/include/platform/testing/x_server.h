#pragma once
// A virtual X server of the test's own: it takes a free display number, is
// DISPLAY for the test and its children while it lives, and ends with the
// test (or with the test process, should that die first).
#include "platform/testing/child_process.h"
#include <optional>
#include <string>

namespace platform::testing {

class VirtualXServer {
public:
    explicit VirtualXServer(int width = 480, int height = 272);
    ~VirtualXServer();
    VirtualXServer(const VirtualXServer&) = delete;
    VirtualXServer& operator=(const VirtualXServer&) = delete;

    bool Running() { return m_server.Running(); }
    // ":N"; empty when it did not start.
    const std::string& Name() const { return m_name; }
    // Why it did not start.
    const std::string& Error() const { return m_error; }
    // Ends it at once, as a crash would.
    void Kill() { m_server.Kill(); }

private:
    ChildProcess m_server;
    std::string m_name;
    std::string m_error;
    std::optional<std::string> m_previousDisplay;
};

} // namespace platform::testing
