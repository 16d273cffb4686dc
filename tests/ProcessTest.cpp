// The harness itself: nothing a test starts outlives it.
#include "Process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Alive: neither gone nor a zombie (whoever adopted it may reap it late).
bool Exists(pid_t pid) {
    std::string stat = e2e::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t end = stat.rfind(')');
    return end != std::string::npos && end + 2 < stat.size() && stat[end + 2] != 'Z';
}

// Waits a generous while for a process to be gone.
bool GoneSoon(pid_t pid) {
    for (int i = 0; i < 1000 && Exists(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !Exists(pid);
}

e2e::Program Sleeper() {
    return e2e::Program{"/bin/sleep", {"60"}};
}

} // namespace

TEST(ChildProcess, EndsWithItsGuardOnEveryPath) {
    pid_t pid = -1;
    {
        e2e::ChildProcess sleeper = e2e::Start(Sleeper());
        ASSERT_TRUE(sleeper.Started());
        pid = sleeper.Pid();
        EXPECT_TRUE(sleeper.Running());
    } // as when an assertion leaves the test early
    EXPECT_FALSE(Exists(pid)) << "killed and reaped, not left as a zombie";

    // A deadline that passes kills it too, and says so.
    e2e::ChildProcess sleeper = e2e::Start(Sleeper());
    EXPECT_EQ(sleeper.Wait(std::chrono::milliseconds(50)), std::nullopt);
    EXPECT_EQ(sleeper.Outcome(), "signal 9");
    EXPECT_FALSE(Exists(sleeper.Pid()));

    // Exit codes come back as they are; a program that cannot run is not started.
    EXPECT_EQ(e2e::Run({"/bin/sh", {"-c", "exit 3"}}), 3);
    EXPECT_FALSE(e2e::Start({"/nonexistent/program"}).Started());
}

TEST(ChildProcess, DiesWithATestProcessThatDiesWithoutCleaningUp) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t test = fork();
    ASSERT_GE(test, 0);
    if (test == 0) {
        // A stand-in for a test process that Xlib or a signal ends on the
        // spot: no destructor runs.
        e2e::ChildProcess sleeper = e2e::Start(Sleeper());
        pid_t pid = sleeper.Pid();
        (void)!write(pipeFds[1], &pid, sizeof pid);
        _exit(0);
    }
    close(pipeFds[1]);
    pid_t grandchild = -1;
    ASSERT_EQ(read(pipeFds[0], &grandchild, sizeof grandchild),
              static_cast<ssize_t>(sizeof grandchild));
    close(pipeFds[0]);
    waitpid(test, nullptr, 0);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(GoneSoon(grandchild)) << "the program outlived its test process";
}
