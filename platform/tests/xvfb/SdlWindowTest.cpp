// Real SDL windows on a virtual X server of the test's own, read back from
// the server's frame buffer, and input sent through the server.
#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/host.h"
#include "platform/keys.h"
#include "platform/messagebox.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_screen.h"
#include "platform/testing/x_server.h"
#include "platform/testing/x_windows.h"
#include "platform/window.h"

#include <X11/extensions/XTest.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>

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

class SdlWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Running()) << m_server.Error();
        platform::HostSettings host = platform::Host();
        host.backend = platform::BackendKind::Sdl;
        platform::Initialize(host);
        m_x = platform::testing::OpenXConnection();
        ASSERT_TRUE(m_x);
    }
    void TearDown() override {
        m_x.reset();
        // SDL lets go of the server before the server ends.
        platform::HostSettings host = platform::Host();
        host.backend = platform::BackendKind::Headless;
        platform::Initialize(host);
    }

    Display* X() { return m_x.get(); }
    Color ScreenPixel(int x, int y) { return platform::testing::XScreenPixel(X(), x, y); }

    // Runs the program's loop until the condition holds; false when it did
    // not within a generous time. A window timer keeps the loop from
    // blocking for good.
    template <typename Condition> bool PumpUntil(Condition condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            XSync(X(), False);
            platform::WaitAndPump();
        }
        return true;
    }

    platform::testing::VirtualXServer m_server{640, 480};
    platform::testing::TempDevice m_device;
    platform::testing::XConnection m_x;
};

} // namespace

TEST_F(SdlWindow, ShowsItsSurfaceAndTakesTapsAndKeys) {
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

    // Red where the program filled red, white elsewhere.
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(30, 15) == Rgb(255, 0, 0); }))
        << "the frame never reached the screen";
    EXPECT_EQ(ScreenPixel(150, 80), Rgb(255, 255, 255));
    EXPECT_EQ(ScreenPixel(60, 15), Rgb(255, 255, 255));

    XTestFakeMotionEvent(X(), -1, 50, 40, CurrentTime);
    XTestFakeButtonEvent(X(), 1, True, CurrentTime);
    XTestFakeButtonEvent(X(), 1, False, CurrentTime);
    KeyCode enter = XKeysymToKeycode(X(), XStringToKeysym("Return"));
    XTestFakeKeyEvent(X(), enter, True, CurrentTime);
    XTestFakeKeyEvent(X(), enter, False, CurrentTime);
    PumpUntil([&] { return painter.events.size() >= 2; });
    std::vector<std::string> expected = {"tap 50 40", "key 13"};
    EXPECT_EQ(painter.events, expected);

    window->Destroy();
    platform::PumpMessages();
}

TEST_F(SdlWindow, DialogsAreRealWindowsTakingRealInput) {
    std::filesystem::create_directories(m_device.HostPath(u"\\Programme\\Velvane\\Skins"));
    m_device.Put(u"\\Programme\\Velvane\\Velvane.ini", "x");

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
    // The caption bar is on the X server's screen where the window is.
    platform::Rect window = dialog->GetWindow().GetRect();
    EXPECT_TRUE(PumpUntil([&] {
        return ScreenPixel(window.left + 3, window.top + 3) == Rgb(0, 0, 128);
    })) << "the dialog never reached the screen";

    // A real tap on "RMC" and typed text reach the controls.
    platform::Rect rmc = dialog->ControlRect(1006);
    XTestFakeMotionEvent(X(), -1, window.left + rmc.left + 3,
                         window.top + rmc.top + rmc.Height() / 2, CurrentTime);
    XTestFakeButtonEvent(X(), 1, True, CurrentTime);
    XTestFakeButtonEvent(X(), 1, False, CurrentTime);
    for (const char* key : {"g", "p", "s"}) {
        KeyCode code = XKeysymToKeycode(X(), XStringToKeysym(key));
        XTestFakeKeyEvent(X(), code, True, CurrentTime);
        XTestFakeKeyEvent(X(), code, False, CurrentTime);
    }
    PumpUntil([&] { return dialog->IsChecked(1006) && dialog->GetText(1004) == u"gps"; });
    EXPECT_TRUE(dialog->IsChecked(1006));
    EXPECT_EQ(dialog->GetText(1004), u"gps");
    EXPECT_EQ(handler.clicked, std::vector<int>{1006});

    platform::FileDialogOptions options;
    options.title = u"Konfiguration öffnen";
    options.initialDirectory = u"\\Programme\\Velvane\\";
    platform::Dialog* file = platform::OpenFileDialogModeless(options, nullptr);
    ASSERT_TRUE(file);
    file->GetWindow().Move(file->GetWindow().GetRect().Offset(60, 10));
    if (const char* dir = std::getenv("SNAPSHOT_DIR")) {
        platform::Rect moved = file->GetWindow().GetRect();
        PumpUntil([&] { return ScreenPixel(moved.left + 3, moved.top + 3) == Rgb(0, 0, 128); });
        auto shot = platform::testing::GrabXScreen();
        ASSERT_TRUE(shot);
        EXPECT_TRUE(shot->SavePng(std::filesystem::path(dir) / "dialogs-under-x.png"));
    }
    file->Destroy();
    dialog->Destroy();
    platform::PumpMessages();
}
