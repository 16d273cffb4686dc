// Runs under xvfb-run: a real SDL window on an X server, read back from the
// server's own frame buffer, and input sent through the X server.
#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/host.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/testing/x_screen.h"
#include "platform/window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <cstdlib>
#include <fstream>

// Xlib has a Window of its own.
using platform::Canvas;
using platform::Color;
using platform::Rgb;
using platform::WindowHandler;
using platform::WindowOptions;

namespace {

class Painter : public WindowHandler {
public:
    std::vector<std::string> events;
    void OnPaint(platform::Window&, Canvas& canvas) override {
        canvas.FillRect({0, 0, canvas.Width(), canvas.Height()}, Rgb(255, 255, 255));
        canvas.FillRect({20, 10, 60, 30}, Rgb(255, 0, 0));
    }
    void OnKeyDown(platform::Window&, int key) override {
        events.push_back("key " + std::to_string(key));
    }
    void OnTap(platform::Window&, int x, int y) override {
        events.push_back("tap " + std::to_string(x) + " " + std::to_string(y));
    }
};

// The colour of a screen pixel as the X server has it, as 0x00BBGGRR.
Color ScreenPixel(Display* display, int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return platform::InvalidColor;
    unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// Lets the server and the program catch up, handling what arrives.
void Settle(Display* display, int rounds = 20) {
    for (int i = 0; i < rounds; ++i) {
        XSync(display, False);
        platform::PumpMessages();
        platform::WaitAndPump();
    }
}

} // namespace

TEST(SdlWindow, ShowsItsSurfaceAndTakesTapsAndKeys) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; this test runs under xvfb-run";
    platform::HostSettings host;
    host.backend = platform::BackendKind::Sdl;
    host.root = std::filesystem::temp_directory_path();
    platform::Initialize(host);

    Painter painter;
    WindowOptions options;
    options.className = u"Velvane";
    options.title = u"Velvane";
    options.rect = {0, 0, 200, 100};
    options.style = platform::WindowStyle::NoCaption;
    platform::Window* window = platform::Window::Create(options, painter);
    ASSERT_TRUE(window);
    // A timer keeps the loop from blocking for good while we wait.
    window->SetTimer(1, 20);

    Display* display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    Settle(display);
    // Red where the program filled red, white elsewhere.
    EXPECT_EQ(ScreenPixel(display, 30, 15), Rgb(255, 0, 0));
    EXPECT_EQ(ScreenPixel(display, 150, 80), Rgb(255, 255, 255));
    EXPECT_EQ(ScreenPixel(display, 60, 15), Rgb(255, 255, 255));

    XTestFakeMotionEvent(display, -1, 50, 40, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    KeyCode enter = XKeysymToKeycode(display, XStringToKeysym("Return"));
    XTestFakeKeyEvent(display, enter, True, CurrentTime);
    XTestFakeKeyEvent(display, enter, False, CurrentTime);
    Settle(display);
    std::vector<std::string> expected = {"tap 50 40", "key 13"};
    EXPECT_EQ(painter.events, expected);

    window->Destroy();
    platform::PumpMessages();
    XCloseDisplay(display);
}

TEST(SdlWindow, DialogsAreRealWindowsTakingRealInput) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display; this test runs under xvfb-run";
    platform::HostSettings host;
    host.backend = platform::BackendKind::Sdl;
    host.root = std::filesystem::temp_directory_path() / "xvfb-dialog-device";
    std::filesystem::create_directories(host.root / "Programme" / "Velvane" / "Skins");
    std::ofstream(host.root / "Programme" / "Velvane" / "Velvane.ini") << "x";
    platform::Initialize(host);

    platform::DialogTemplate t;
    t.caption = u"GPS Einstellungen";
    t.cx = 143;
    t.cy = 60;
    t.controls = {{1004, platform::ControlKind::Edit, u"", 10, 12, 123, 12, 0},
                  {1005, platform::ControlKind::RadioButton, u"VTG", 10, 30, 40, 10,
                   platform::ControlStyle::Group},
                  {1006, platform::ControlKind::RadioButton, u"RMC", 60, 30, 40, 10, 0},
                  {platform::IdOk, platform::ControlKind::PushButton, u"OK", 86, 44, 50, 14,
                   platform::ControlStyle::Default}};
    struct Handler : platform::DialogHandler {
        std::vector<int> clicked;
        void OnCommand(platform::Dialog&, int id, platform::Notification n) override {
            if (n == platform::Notification::Clicked)
                clicked.push_back(id);
        }
    } handler;
    platform::Dialog* dialog = platform::Dialog::CreateModeless(t, handler, nullptr);
    ASSERT_TRUE(dialog);
    dialog->SetTimer(1, 20);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    Settle(display);

    // A real tap on "RMC" and typed text reach the controls.
    platform::Rect window = dialog->GetWindow().GetRect();
    platform::Rect rmc = dialog->ControlRect(1006);
    XTestFakeMotionEvent(display, -1, window.left + rmc.left + 3,
                         window.top + rmc.top + rmc.Height() / 2, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    for (const char* key : {"g", "p", "s"}) {
        KeyCode code = XKeysymToKeycode(display, XStringToKeysym(key));
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
    }
    Settle(display);
    EXPECT_TRUE(dialog->IsChecked(1006));
    EXPECT_EQ(dialog->GetText(1004), u"gps");
    EXPECT_EQ(handler.clicked, std::vector<int>{1006});
    // The caption bar is on the X server's screen where the window is.
    EXPECT_EQ(ScreenPixel(display, window.left + 3, window.top + 3), Rgb(0, 0, 128));

    platform::FileDialogOptions options;
    options.title = u"Konfiguration öffnen";
    options.initialDirectory = u"\\Programme\\Velvane\\";
    platform::Dialog* file = platform::OpenFileDialogModeless(options, nullptr);
    ASSERT_TRUE(file);
    file->GetWindow().Move(file->GetWindow().GetRect().Offset(60, 10));
    Settle(display);
    if (const char* dir = std::getenv("SNAPSHOT_DIR")) {
        auto shot = platform::testing::GrabXScreen();
        ASSERT_TRUE(shot);
        EXPECT_TRUE(shot->SavePng(std::filesystem::path(dir) / "dialogs-under-x.png"));
    }
    file->Destroy();
    dialog->Destroy();
    platform::PumpMessages();
    XCloseDisplay(display);
}
