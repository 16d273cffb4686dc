// Runs under xvfb-run: the navigator stand-in started by its device path as a
// process of its own, and lokaro's taps, key macros, window messages and
// on-screen texts arriving at it through the X server.
#include "control/DeviceSettings.h"
#include "control/KeyMacro.h"
#include "control/Navigator.h"
#include "control/ScreenInput.h"

#include "platform/desktop.h"
#include "platform/host.h"
#include "platform/input.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_server.h"
#include "platform/testing/x_screen.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

// Xlib last: its macros (None, Status) clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace lokaro;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The processes this test started through the platform, which starts them
// detached: found by the test's own device root in their environment, ended
// on every way out of the test and waited for until they are gone.
class ProcessGuard {
public:
    explicit ProcessGuard(std::string root) : m_marker("CE_ROOT=" + std::move(root)) {}
    ProcessGuard(const ProcessGuard&) = delete;
    ProcessGuard& operator=(const ProcessGuard&) = delete;
    ~ProcessGuard() { End(); }

    std::vector<pid_t> Started() const {
        std::vector<pid_t> found;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const pid_t pid = std::stoi(name);
            if (pid == ::getpid() || !Alive(pid))
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
    void End() {
        for (int signal : {SIGTERM, SIGKILL}) {
            for (pid_t pid : Started())
                ::kill(pid, signal);
            for (int i = 0; i < 100 && !Started().empty(); ++i)
                std::this_thread::sleep_for(20ms);
        }
    }
    // Not a zombie its new parent has yet to reap.
    static bool Alive(pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string id, name, state;
        return stat >> id >> name >> state && state != "Z";
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

// Waits until the log holds the line; false after the timeout.
bool WaitForLine(const fs::path& log, const std::string& line,
                 std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (("\n" + ReadAll(log)).find("\n" + line + "\n") != std::string::npos)
            return true;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

std::string LogLine(const std::string& log, const std::string& prefix) {
    size_t at = ("\n" + log).find("\n" + prefix);
    return at == std::string::npos ? std::string() : log.substr(at, log.find('\n', at) - at);
}

} // namespace

TEST(NavigatorOnX, StartedByPathItTakesTapsKeysMessagesAndShowsTexts) {
    // The platform keeps its X connection to the end of the process, so the
    // server must live as long; it ends with the process.
    static auto* server = new platform::testing::VirtualXServer(480, 272);
    ASSERT_TRUE(server->Running()) << server->Error();
    platform::testing::TempDevice device(u"\\Windows\\lokaro.exe", 480, 272);
    // The sample device's wrapper, as a user would point it at a real program.
    const fs::path wrapper =
        fs::path(SUITE_SOURCE_DIR) / "samples/device/My Flash Disk/Navigation/mnavdce.exe";
    const fs::path navigator = device.HostPath(DefaultNavigatorPath);
    fs::create_directories(navigator.parent_path());
    fs::copy_file(wrapper, navigator);
    fs::permissions(navigator, fs::perms::owner_all);
    device.Put(u"\\My Documents\\target.3na",
               "Name:Bahnhof\nStrasse:Hauptstrasse\nHausNR:1\nPLZ:8000\nOrt:Zuerich\n"
               "Laenge:8.543210000000000\nBreite:47.123450000000000\n");
    {
        auto options = platform::RegistryKey::Create(platform::HKEY_CURRENT_USER,
                                                     u"Software\\3SOFT\\Pathfinder\\RouteOptions");
        ASSERT_TRUE(options && options->SetDword(u"NaviMode", 2));
    }
    // The stand-in finds the same device through the environment.
    platform::HostSettings host = platform::Host();
    host.backend = platform::BackendKind::Sdl;
    ::setenv("CE_ROOT", host.root.c_str(), 1);
    ::setenv("CE_REGISTRY", host.registry.c_str(), 1);
    ::setenv("CE_SCREEN", "480x272", 1);
    ::setenv("STANDIN_NAVIGATOR", STANDIN_BIN, 1);
    platform::Initialize(host);

    ProcessGuard started(host.root.string());
    ASSERT_TRUE(startNavigator(DefaultNavigatorPath));
    const fs::path log = device.HostPath(u"\\My Flash Disk\\Navigation\\navigator.txt");
    std::string ready;
    for (int i = 0; i < 500 && ready.empty(); ++i) {
        std::this_thread::sleep_for(20ms);
        ready = LogLine(ReadAll(log), "ready pid=");
    }
    ASSERT_FALSE(ready.empty()) << "the stand-in never came up: " << ReadAll(log);
    const pid_t standin = std::stoi(ready.substr(10));
    EXPECT_EQ(started.Started(), std::vector<pid_t>{standin});
    EXPECT_TRUE(WaitForLine(log, "shows Ort:Zuerich", 1s));
    EXPECT_TRUE(WaitForLine(log, "shows NaviMode=2", 1s));
    platform::WindowHandle window;
    for (int i = 0; i < 250 && !window; ++i) {
        std::this_thread::sleep_for(20ms);
        window = platform::FindWindowByTitle(u"Navigation");
    }
    ASSERT_TRUE(window) << "no window titled \"Navigation\"";

    // Taps through the whole screen, with the corner default.
    ScreenParameters p;
    p.d = 30;
    ASSERT_TRUE(tap(0, 100, 50, {}, p));
    EXPECT_TRUE(WaitForLine(log, "button down button=1 x=100 y=50 sent=no"));
    EXPECT_TRUE(WaitForLine(log, "button up button=1 x=100 y=50 sent=no"));
    ASSERT_TRUE(tap(0, -1, -1, {}, p));
    EXPECT_TRUE(WaitForLine(log, "button up button=1 x=460 y=267 sent=no"));

    // Keys for the whole screen reach it under the pointer; then a macro
    // that finds it by title and sends it keys, a tap and a message.
    EXPECT_EQ(runKeyMacro(u"q\\13", p, DefaultNavigatorPath), MacroEnd::Done);
    EXPECT_TRUE(WaitForLine(log, "key down q sent=no"));
    EXPECT_TRUE(WaitForLine(log, "key up Return sent=no"));
    EXPECT_EQ(runKeyMacro(u"\\f2000|Navigation\\s0ab\\a88\\c-5,30,40\\m0x400,7,0x90009", p,
                          DefaultNavigatorPath),
              MacroEnd::Done);
    EXPECT_TRUE(WaitForLine(log, "key down a sent=yes"));
    EXPECT_TRUE(WaitForLine(log, "key up b sent=yes"));
    EXPECT_TRUE(WaitForLine(log, "key down x alt sent=yes"));
    EXPECT_TRUE(WaitForLine(log, "button down button=1 x=30 y=40 sent=yes"));
    EXPECT_TRUE(WaitForLine(log, "button up button=1 x=30 y=40 sent=yes"));
    EXPECT_TRUE(WaitForLine(log, "message 0x400 wparam=0x7 lparam=0x90009"));
    EXPECT_EQ(runKeyMacro(u"\\f30|Woanders\\z", p, DefaultNavigatorPath), MacroEnd::WindowMissing);

    // Placement through the window manager's protocols (or the server).
    ScreenParameters place = p;
    place.x = 10;
    place.y = 20;
    place.w = 300;
    place.h = 200;
    EXPECT_EQ(runKeyMacro(u"\\f|Navigation\\p0", place, DefaultNavigatorPath), MacroEnd::Done);
    EXPECT_TRUE(WaitForLine(log, "placed x=10 y=20 w=300 h=200"));
    EXPECT_TRUE(platform::PlaceWindow(window, platform::InsertAfter::Top, {0, 0, 480, 272},
                                      platform::Visibility::Show));
    EXPECT_TRUE(WaitForLine(log, "placed x=0 y=0 w=480 h=272"));

    // An on-screen text over it: red box, yellow bold letters. A positive
    // time takes it away again; zero leaves it until we end.
    ScreenParameters osd;
    osd.x = 200;
    osd.y = 100;
    osd.h = -40;
    osd.r = 255;
    osd.bb = 0;
    osd.d = 100;
    ASSERT_TRUE(showOsd(u"7", osd));
    auto screen = platform::testing::GrabXScreen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->GetPixel(201, 101), platform::Rgb(255, 255, 255)) << "gone after its time";
    osd.d = 0;
    ASSERT_TRUE(showOsd(u"7", osd));
    screen = platform::testing::GrabXScreen();
    ASSERT_TRUE(screen);
    if (const char* dir = std::getenv("SNAPSHOT_DIR"))
        screen->SavePng(fs::path(dir) / "lokaro-osd.png");
    EXPECT_EQ(screen->GetPixel(201, 101), platform::Rgb(255, 0, 0));
    EXPECT_EQ(screen->GetPixel(199, 101), platform::Rgb(255, 255, 255));
    int yellow = 0;
    for (int y = 100; y < 140; ++y)
        for (int x = 200; x < 240; ++x)
            yellow += screen->GetPixel(x, y) == platform::Rgb(255, 255, 0);
    EXPECT_GT(yellow, 20) << "the letters";
    // Transparent: the navigator's white shows around the letters.
    osd.x = 300;
    osd.y = 150;
    osd.t = 1;
    ASSERT_TRUE(showOsd(u"7", osd));
    screen = platform::testing::GrabXScreen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->GetPixel(301, 151), platform::Rgb(255, 255, 255));
    yellow = 0;
    for (int y = 150; y < 190; ++y)
        for (int x = 300; x < 340; ++x)
            yellow += screen->GetPixel(x, y) == platform::Rgb(255, 255, 0);
    EXPECT_GT(yellow, 20) << "the letters";

    // A task bar of another program: hidden, shown along the bottom edge,
    // toggled; the navigator's window stays as it is.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    ::Window bar = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 10, 0, 0, 0);
    XClassHint hint;
    std::string barClass = "HHTaskBar";
    hint.res_name = barClass.data();
    hint.res_class = barClass.data();
    XSetClassHint(display, bar, &hint);
    XMapWindow(display, bar);
    XSync(display, False);
    auto barState = [&] {
        XSync(display, False);
        XWindowAttributes a;
        XGetWindowAttributes(display, bar, &a);
        return std::to_string(a.x) + "," + std::to_string(a.y) + " " + std::to_string(a.width) +
               "x" + std::to_string(a.height) + (a.map_state == IsViewable ? " shown" : " hidden");
    };
    EXPECT_TRUE(setTaskBar(0, p));
    EXPECT_EQ(barState(), "0,246 480x26 hidden");
    EXPECT_TRUE(setTaskBar(2, p));
    EXPECT_EQ(barState(), "0,246 480x26 shown");
    EXPECT_TRUE(setTaskBar(2, p));
    EXPECT_EQ(barState(), "0,246 480x26 hidden");
    EXPECT_TRUE(platform::IsWindowShown(window));
    XDestroyWindow(display, bar);
    XCloseDisplay(display);

    // The close request ends it.
    EXPECT_TRUE(platform::SendWindowMessage(window, platform::WindowMessage::Close, 0, 0));
    EXPECT_TRUE(WaitForLine(log, "close"));
    for (int i = 0; i < 250 && ProcessGuard::Alive(standin); ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(ProcessGuard::Alive(standin));
    if (HasFailure())
        std::cerr << "the stand-in's log:\n" << ReadAll(log);
}
