// The real lokaro beside the navigator stand-in on a virtual X server: a
// destination typed on the on-screen keys reaches the navigator, the tap
// after its start lands on it, and a window of the class lokaro looks for is
// only raised.
// gtest first: Xlib, which x_windows.h brings, defines macros it would trip on.
#include <gtest/gtest.h>

#include "Process.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_server.h"
#include "platform/testing/x_windows.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

// Xlib last: its macros clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;
using namespace platform::testing;
using namespace std::chrono_literals;

namespace {

// lokaro starts the navigator detached, as the device does: the processes
// are found by the test's device root in their environment and ended on
// every way out of the test.
class StartedProcesses {
public:
    explicit StartedProcesses(const fs::path& root) : m_marker("CE_ROOT=" + root.string()) {}
    StartedProcesses(const StartedProcesses&) = delete;
    StartedProcesses& operator=(const StartedProcesses&) = delete;
    ~StartedProcesses() {
        for (int signal : {SIGTERM, SIGKILL}) {
            for (pid_t pid : Find())
                ::kill(pid, signal);
            for (int i = 0; i < 100 && !Find().empty(); ++i)
                std::this_thread::sleep_for(20ms);
        }
    }
    std::vector<pid_t> Find() const {
        std::vector<pid_t> found;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const pid_t pid = std::stoi(name);
            std::ifstream stat(entry.path() / "stat");
            std::string id, command, state;
            if (pid == ::getpid() || !(stat >> id >> command >> state) || state == "Z")
                continue;
            std::ifstream environ(entry.path() / "environ", std::ios::binary);
            std::string variable;
            while (std::getline(environ, variable, '\0'))
                if (variable == m_marker) {
                    found.push_back(pid);
                    break;
                }
        }
        return found;
    }

private:
    std::string m_marker;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitForLine(const fs::path& log, const std::string& line,
                 std::chrono::milliseconds timeout = 15s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (("\n" + ReadAll(log)).find("\n" + line + "\n") != std::string::npos)
            return true;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

class LokaroOnX : public ::testing::Test {
protected:
    VirtualXServer server{480, 272};
    TempDevice device{u"\\Windows\\lokaro.exe"};
    StartedProcesses started{device.Root()};
    fs::path log = device.HostPath(u"\\My Flash Disk\\Navigation\\navigator.txt");

    void SetUp() override {
        ASSERT_TRUE(server.Running()) << server.Error();
        const fs::path wrapper =
            fs::path(SUITE_SOURCE_DIR) / "samples/device/My Flash Disk/Navigation/mnavdce.exe";
        const fs::path navigator = device.HostPath(u"\\My Flash Disk\\Navigation\\mnavdce.exe");
        fs::create_directories(navigator.parent_path());
        fs::copy_file(wrapper, navigator);
        fs::permissions(navigator, fs::perms::owner_all);
        device.Put(u"\\My Documents\\keep", "");
    }

    e2e::Program Lokaro(std::vector<std::string> args, const char* backend,
                        const std::string& steps = "") {
        e2e::Program p{LOKARO_BIN,
                       std::move(args),
                       {{"CE_ROOT", device.Root().string()},
                        {"CE_REGISTRY", (device.Root() / ".registry").string()},
                        {"CE_BACKEND", backend},
                        {"CE_SCREEN", "480x272"},
                        {"CE_PROGRAM", "\\Windows\\lokaro.exe"},
                        {"CE_TRANSCRIPT", (device.Root() / "transcript.txt").string()},
                        {"STANDIN_NAVIGATOR", STANDIN_BIN}},
                       "",
                       (device.Root() / "stderr.txt").string()};
        if (!steps.empty()) {
            e2e::WriteFile((device.Root() / "steps.txt").string(), steps);
            p.env["CE_SCRIPT"] = (device.Root() / "steps.txt").string();
        }
        return p;
    }
    std::string Transcript() { return ReadAll(device.Root() / "transcript.txt"); }
};

} // namespace

TEST_F(LokaroOnX, ADestinationTypedInDegreesReachesTheStartedNavigator) {
    // 22°54'30" S, 43°11'47" W on the telephone digits (4007 "1" ... 4001
    // "7"); the mark key twice on an empty field turns its hemisphere.
    const std::string steps = "click 4019\nclick 4011\nclick 4011\n"
                              "click 4008\nclick 4008\nclick 4011\nclick 4005\nclick 4004\n"
                              "click 4011\nclick 4009\nclick 4010\n"
                              "click 4018\nclick 4011\nclick 4011\n"
                              "click 4004\nclick 4009\nclick 4011\nclick 4007\nclick 4007\n"
                              "click 4011\nclick 4004\nclick 4001\n"
                              "click 4014\nclick 4037\nclick 4048\nclick 4028\nclick 4034\n"
                              "click 1\n";
    EXPECT_EQ(e2e::Run(Lokaro({}, "headless", steps)), 1) << Transcript();
    EXPECT_EQ(device.Get(u"\\My Documents\\target.3na"),
              "Name:Rio\nStrasse:L=-43.19638889\nHausNR:\nPLZ:\nOrt:B=-22.90833333\n"
              "Laenge:-43.196388888888883\nBreite:-22.908333333333331\n");
    EXPECT_TRUE(WaitForLine(log, "shows Name:Rio")) << ReadAll(log);
    EXPECT_TRUE(WaitForLine(log, "shows Laenge:-43.196388888888883", 1s));
    EXPECT_TRUE(WaitForLine(log, "shows Breite:-22.908333333333331", 1s));
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    EXPECT_NE(WaitForXWindow(x.get(), "StandinNavigator", "Navigation", 15s), 0u);
}

TEST_F(LokaroOnX, AHandedOverDestinationStartsTheNavigatorAndTapsIt) {
    device.Put(u"\\Storage Card\\ziel.3na",
               "Name:Bahnhof\r\nStrasse:\r\nHausNR:\r\nPLZ:\r\nOrt:Zuerich\r\n"
               "Laenge:8.54\r\nBreite:47.37\r\n");
    // The tap waits long enough for the navigator's window to be there.
    EXPECT_EQ(
        e2e::Run(Lokaro({"lklick=3000 x=100 y=60 d=30 goto=\\Storage Card\\ziel.3na"}, "sdl")), 0)
        << ReadAll(device.Root() / "stderr.txt");
    EXPECT_EQ(device.Get(u"\\My Documents\\target.3na"),
              "Name:Bahnhof\nStrasse:\nHausNR:\nPLZ:\nOrt:Zuerich\nLaenge:8.54\nBreite:47.37\n");
    EXPECT_TRUE(WaitForLine(log, "shows Ort:Zuerich")) << ReadAll(log);
    EXPECT_TRUE(WaitForLine(log, "button down button=1 x=100 y=60 sent=no")) << ReadAll(log);
    EXPECT_TRUE(WaitForLine(log, "button up button=1 x=100 y=60 sent=no", 2s));
    EXPECT_EQ(Transcript().find("dialog open"), std::string::npos);
}

TEST_F(LokaroOnX, AWindowOfTheLookedForClassIsOnlyRaised) {
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    Display* d = x.get();
    ::Window other = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 100, 0, 0, 0);
    XClassHint hint;
    std::string name = "someClass";
    hint.res_name = name.data();
    hint.res_class = name.data();
    XSetClassHint(d, other, &hint);
    XStoreName(d, other, "Other");
    XMapWindow(d, other);
    XWindowAttributes attributes{};
    for (int i = 0; i < 250 && attributes.map_state != IsViewable; ++i) {
        XSync(d, False);
        XGetWindowAttributes(d, other, &attributes);
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_EQ(attributes.map_state, IsViewable);

    EXPECT_EQ(e2e::Run(Lokaro({"window=1"}, "sdl")), 0) << ReadAll(device.Root() / "stderr.txt");
    const std::string transcript = Transcript();
    EXPECT_NE(transcript.find("foreground foreign=yes"), std::string::npos) << transcript;
    EXPECT_EQ(transcript.find("dialog open"), std::string::npos) << transcript;
    EXPECT_EQ(FindXWindow(d, "LokaroClass"), 0u);
    XDestroyWindow(d, other);
    XSync(d, False);
}

TEST_F(LokaroOnX, TheWindowInFrontBeforeTheKeysComesBackAfterThem) {
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    Display* d = x.get();
    auto open = [&](const char* cls, const char* title, int left) {
        ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), left, 0, 100, 100, 0, 0, 0);
        std::string name = cls;
        XClassHint hint{name.data(), name.data()};
        XSetClassHint(d, w, &hint);
        XStoreName(d, w, title);
        XMapWindow(d, w);
        XWindowAttributes attributes{};
        for (int i = 0; i < 250 && attributes.map_state != IsViewable; ++i) {
            XSync(d, False);
            XGetWindowAttributes(d, w, &attributes);
            std::this_thread::sleep_for(20ms);
        }
        return w;
    };
    const ::Window mine = open("Users", "Mine", 0);
    const ::Window other = open("Others", "other", 200); // macros are lower case
    XSetInputFocus(d, mine, RevertToParent, CurrentTime);
    XSync(d, False);
    auto focused = [&] {
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(d, &focus, &revert);
        return focus;
    };
    ASSERT_EQ(focused(), mine);

    // The macro brings "other" to the front; without bit 1 it stays there.
    EXPECT_EQ(e2e::Run(Lokaro({"window=0 sendkey=\\f2000|other\\p"}, "sdl")), 0);
    EXPECT_EQ(focused(), other);
    XSetInputFocus(d, mine, RevertToParent, CurrentTime);
    XSync(d, False);
    EXPECT_EQ(e2e::Run(Lokaro({"window=2 sendkey=\\f2000|other\\p"}, "sdl")), 0)
        << ReadAll(device.Root() / "stderr.txt");
    const std::string transcript = Transcript();
    EXPECT_EQ(focused(), mine) << transcript;
    XDestroyWindow(d, mine);
    XDestroyWindow(d, other);
    XSync(d, False);
}
