// Two real hortel processes on a virtual X server: the second start finds the
// first one's dialog by its class and only brings it to the front.
#include <gtest/gtest.h>

#include "Process.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A viewable top-level window with this WM_CLASS, or 0.
::Window FindByClass(Display* d, const char* cls) {
    ::Window root, parent, *children = nullptr;
    unsigned int n = 0;
    ::Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n))
        return 0;
    for (unsigned int i = 0; i < n && !found; ++i) {
        XClassHint hint{};
        XWindowAttributes a;
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable &&
            XGetClassHint(d, children[i], &hint)) {
            if (hint.res_class && std::string(hint.res_class) == cls)
                found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    if (children)
        XFree(children);
    return found;
}

void AskToClose(Display* d, ::Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XFlush(d);
}

} // namespace

TEST(HortelOnX11, ASecondStartOnlyRaisesTheOpenDialog) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; this test runs under xvfb-run";
    platform::testing::TempDevice device;
    fs::create_directories(device.Root() / "Storage Card");
    {
        auto key = platform::RegistryKey::Create(platform::HKEY_CURRENT_USER, u"Software\\Test");
        ASSERT_TRUE(key && key->SetDword(u"Value", 1));
        platform::RegCloseStore();
    }
    auto program = [&](std::vector<std::string> args, const char* backend, const char* transcript) {
        return e2e::Program{HORTEL_BIN, std::move(args),
                            {{"CE_ROOT", device.Root().string()},
                             {"CE_REGISTRY", (device.Root() / ".registry").string()},
                             {"CE_BACKEND", backend},
                             {"CE_TRANSCRIPT", (device.Root() / transcript).string()}}};
    };
    ASSERT_EQ(e2e::Run(program({"s", "\\Storage Card\\b.reg"}, "headless", "t0.txt")), 1);

    pid_t first = e2e::Start(program({"rd", "\\Storage Card\\b.reg"}, "sdl", "t1.txt"));
    ASSERT_GT(first, 0);
    Display* d = XOpenDisplay(nullptr);
    ASSERT_TRUE(d);
    ::Window dialog = 0;
    for (int i = 0; i < 500 && !dialog; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        dialog = FindByClass(d, "regRestClass");
    }
    ASSERT_NE(dialog, 0u) << "the first hortel never showed its dialog";

    // Whatever the second start asks for, it only raises the dialog.
    EXPECT_EQ(e2e::Run(program({"s", "\\Storage Card\\second.reg"}, "sdl", "t2.txt")), 0);
    EXPECT_FALSE(fs::exists(device.Root() / "Storage Card" / "second.reg"));
    std::string second = e2e::ReadFile((device.Root() / "t2.txt").string());
    EXPECT_NE(second.find("foreground foreign=yes"), std::string::npos) << second;

    // The first is still there and ends through its close request with 0.
    EXPECT_EQ(FindByClass(d, "regRestClass"), dialog);
    AskToClose(d, dialog);
    EXPECT_EQ(e2e::Wait(first, std::chrono::seconds(20)), 0);
    XCloseDisplay(d);
}
