#include "platform/testing/x_server.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::testing {

namespace {

// Generous: a loaded machine may take seconds to start a server.
constexpr std::chrono::seconds StartDeadline(30);

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        fs::path candidate = fs::path(dir.empty() ? "." : dir) / program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

// What the server writes to the -displayfd pipe: its display number and a
// line feed, once it takes connections. Empty when it ended or took too long.
std::string ReadDisplayNumber(int fd, ChildProcess& server) {
    std::string number;
    const auto end = std::chrono::steady_clock::now() + StartDeadline;
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        int ready = poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR)
            return {};
        if (ready > 0) {
            char buffer[16];
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0)
                return {}; // the server ended without a display
            number.append(buffer, static_cast<size_t>(n));
            if (number.find('\n') != std::string::npos)
                return number.substr(0, number.find('\n'));
        } else if (!server.Running()) {
            return {};
        }
    }
    return {};
}

} // namespace

VirtualXServer::VirtualXServer(int width, int height) {
    const std::string xvfb = FindOnPath("Xvfb");
    if (xvfb.empty()) {
        m_error = "Xvfb is not installed";
        return;
    }
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        m_error = "no pipe for the display number";
        return;
    }
    // Only the write end goes to the server.
    fcntl(pipeFds[1], F_SETFD, 0);
    m_server =
        ChildProcess(ProcessSpec{xvfb,
                                 {"-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                                  std::to_string(width) + "x" + std::to_string(height) + "x24",
                                  "-nolisten", "tcp", "-noreset"},
                                 {},
                                 "/dev/null",
                                 "/dev/null"});
    close(pipeFds[1]);
    std::string number = m_server.Started() ? ReadDisplayNumber(pipeFds[0], m_server) : "";
    close(pipeFds[0]);
    if (number.empty()) {
        m_server.Kill();
        m_error = "Xvfb gave no display within " + std::to_string(StartDeadline.count()) + " s (" +
                  m_server.Outcome() + ")";
        return;
    }
    m_name = ":" + number;
    if (const char* previous = std::getenv("DISPLAY"))
        m_previousDisplay = previous;
    setenv("DISPLAY", m_name.c_str(), 1);
}

VirtualXServer::~VirtualXServer() {
    // SIGTERM lets it remove its lock file and socket.
    m_server.Stop(SIGTERM, std::chrono::seconds(5));
    if (m_name.empty())
        return;
    if (m_server.Outcome() == "signal " + std::to_string(SIGKILL)) {
        // Killed, it could not tidy up after itself.
        std::error_code ec;
        fs::remove("/tmp/.X" + m_name.substr(1) + "-lock", ec);
        fs::remove("/tmp/.X11-unix/X" + m_name.substr(1), ec);
    }
    if (m_previousDisplay)
        setenv("DISPLAY", m_previousDisplay->c_str(), 1);
    else
        unsetenv("DISPLAY");
}

} // namespace platform::testing
