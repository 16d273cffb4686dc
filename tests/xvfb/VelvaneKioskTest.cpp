// velvane on screens other than the device's and on a board without a window
// manager: scaled windows, fullscreen, keyboard focus, dialogs that belong to
// the main window, and being stopped from outside. Each test has an X server
// of its own and no window manager, as a kiosk has.
#include <gtest/gtest.h>

#include "Process.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/x_screen.h"
#include "platform/testing/x_server.h"
#include "platform/testing/x_windows.h"
#include "platform/text.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace platform::testing;

namespace {

// Generous: the machine may be busy with other tests.
constexpr std::chrono::seconds Patience(30);
// The menu style's hot box, and the pale one of the others.
const platform::Color Hot = platform::Rgb(0x20, 0x40, 0x80);

e2e::Program Velvane(const fs::path& root) {
    return e2e::Program{
        VELVANE_BIN,
        {},
        {{"CE_ROOT", root.string()},
         {"CE_REGISTRY", (root / ".registry").string()},
         {"CE_BACKEND", "sdl"},
         {"CE_SCREEN", "480x272"},
         {"CE_FULLSCREEN", "0"},
         {"CE_TRANSCRIPT", (root / ".transcript").string()},
         {"CE_PORTS", "COM1=replay:" + (root / "GPS" / "drive.nmea").string() + ",loop"}},
        {},
        (root / ".stderr").string()};
}

void UseSample(const TempDevice& device) {
    fs::copy(fs::path(SUITE_SOURCE_DIR) / "samples" / "device", device.Root(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = Patience) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A tap as the user gives it: the pointer moves there and clicks.
void ClickAt(Display* d, int x, int y) {
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XFlush(d);
}

// A key as the keyboard gives it: to whichever window has the focus.
void TypeKey(Display* d, const char* keysym) {
    KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

platform::Size XWindowSize(Display* d, ::Window w) {
    XErrorTrap trap(d);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a))
        return {};
    return {a.width, a.height};
}

::Window FocusedXWindow(Display* d) {
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    return focus;
}

// For the documentation, when SNAPSHOT_DIR is set: the whole X screen.
void Snapshot(const std::string& name) {
    if (const char* dir = std::getenv("SNAPSHOT_DIR"))
        if (std::unique_ptr<platform::Canvas> shot = GrabXScreen())
            shot->SavePng(fs::path(dir) / name);
}

::Window TransientFor(Display* d, ::Window w) {
    XErrorTrap trap(d);
    ::Window owner = 0;
    return XGetTransientForHint(d, w, &owner) ? owner : 0;
}

// Opens the menu with Return until its first box is hot at the screen point
// where the picture shows it: a key during the splash only takes the splash
// away.
bool OpenMenu(Display* d, ::Window main, int x, int y) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!PressKeyIn(d, main, "Return"))
            return false;
        if (WaitUntil([&] { return XScreenPixel(d, x, y) == Hot; }, std::chrono::seconds(3)))
            return true;
    }
    return false;
}

// Where a logical point of the 480x272 screen shows on the X screen.
using Placement = platform::Point (*)(int x, int y);
platform::Point AsIs(int x, int y) {
    return {x, y};
}

// The sample's menu: the Velvane box, its GPS box and the settings command.
::Window OpenGpsSettingsDialog(Display* d, e2e::ChildProcess& velvane, Placement at = AsIs) {
    auto click = [&](int x, int y) { ClickAt(d, at(x, y).x, at(x, y).y); };
    auto hot = [&](int x, int y) { return XScreenPixel(d, at(x, y).x, at(x, y).y) == Hot; };
    bool open = false;
    for (int attempt = 0; attempt < 10 && !open; ++attempt) {
        click(433, 20);
        open = WaitUntil([&] { return hot(396, 20); }, std::chrono::seconds(3));
    }
    if (!open)
        return 0;
    click(238, 62);
    if (!WaitUntil([&] { return hot(200, 62); }, std::chrono::seconds(10)))
        return 0;
    click(240, 104);
    ::Window dialog = WaitForXWindow(d, "Dialog", "GPS Einstellungen", Patience);
    EXPECT_NE(dialog, 0u) << velvane.Outcome();
    return dialog;
}

} // namespace

// A tiling window manager gives the window another size than it asked for:
// the picture fills it with its aspect kept (bars above and below here) and
// a tap lands where the picture shows the box under it.
TEST(VelvaneKiosk, AResizedWindowScalesItsPictureAndItsTaps) {
    VirtualXServer server(960, 600);
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    UseSample(device);
    e2e::ChildProcess velvane = e2e::Start(Velvane(device.Root()));
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ::Window main = WaitForXWindow(x.get(), "Velvane", "Velvane", Patience);
    ASSERT_NE(main, 0u) << velvane.Outcome();
    XMoveResizeWindow(x.get(), main, 0, 0, 960, 600);
    XSync(x.get(), False);

    // Twice the size, the picture from row 28 to 572: logical (x, y) shows
    // at (2x, 28 + 2y).
    ASSERT_TRUE(OpenMenu(x.get(), main, 40, 68)) << velvane.Outcome();
    EXPECT_EQ(XScreenPixel(x.get(), 0, 10), platform::Rgb(0, 0, 0)) << "the bar is black";

    // On the bar above the picture: taken as it comes, the tap would be on
    // "Log".
    ClickAt(x.get(), 230, 20);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_NE(XScreenPixel(x.get(), 406, 68), Hot) << "a tap on the bar opened \"Log\"";
    EXPECT_EQ(XScreenPixel(x.get(), 40, 68), Hot);

    // "Overlays" at logical (333, 20); its box turns hot, "Velvane"'s does not.
    ClickAt(x.get(), 666, 68);
    EXPECT_TRUE(
        WaitUntil([&] { return XScreenPixel(x.get(), 596, 68) == Hot; }, std::chrono::seconds(10)))
        << "\"Overlays\" did not open";
    Snapshot("velvane-resized-under-x.png");
    EXPECT_NE(XScreenPixel(x.get(), 792, 68), Hot) << "the tap opened \"Velvane\"";
    EXPECT_NE(XScreenPixel(x.get(), 40, 68), Hot);

    AskToClose(x.get(), main);
    EXPECT_EQ(velvane.Wait(Patience), 0) << velvane.Outcome();
}

// CE_FULLSCREEN=1 on a 7-inch panel: the window takes the whole display and
// the 480x272 picture is scaled by 5/3 into rows 13 to 466.
TEST(VelvaneKiosk, FullscreenFillsTheDisplayWithTheScaledPicture) {
    VirtualXServer server(800, 480);
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    UseSample(device);
    e2e::Program program = Velvane(device.Root());
    program.env["CE_FULLSCREEN"] = "1";
    e2e::ChildProcess velvane = e2e::Start(program);
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ::Window main = WaitForXWindow(x.get(), "Velvane", "Velvane", Patience);
    ASSERT_NE(main, 0u) << velvane.Outcome();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return XWindowSize(x.get(), main) == platform::Size{800, 480};
        },
        std::chrono::seconds(10)))
        << "the window is " << XWindowSize(x.get(), main).cx << "x"
        << XWindowSize(x.get(), main).cy;

    ASSERT_TRUE(OpenMenu(x.get(), main, 34, 47)) << velvane.Outcome();
    ClickAt(x.get(), 555, 46); // "Overlays"
    EXPECT_TRUE(
        WaitUntil([&] { return XScreenPixel(x.get(), 497, 47) == Hot; }, std::chrono::seconds(10)))
        << "\"Overlays\" did not open";
    Snapshot("velvane-fullscreen-under-x.png");
    EXPECT_NE(XScreenPixel(x.get(), 660, 47), Hot) << "the tap opened \"Velvane\"";

    // A dialog is scaled alike and centred where the picture's centre is.
    ::Window dialog = OpenGpsSettingsDialog(x.get(), velvane, [](int lx, int ly) {
        return platform::Point{lx * 5 / 3 + 1, 13 + ly * 5 / 3 + 1};
    });
    ASSERT_NE(dialog, 0u);
    Snapshot("velvane-fullscreen-dialog-under-x.png");
    XWindowAttributes a{};
    {
        XErrorTrap trap(x.get());
        ASSERT_TRUE(XGetWindowAttributes(x.get(), dialog, &a));
    }
    EXPECT_NEAR(a.x + a.width / 2, 400, 3);
    EXPECT_NEAR(a.y + a.height / 2, 240, 3);

    AskToClose(x.get(), main);
    EXPECT_EQ(velvane.Wait(Patience), 0) << velvane.Outcome();
}

// No window manager: nobody but the program gives the focus back once a
// dialog has gone, and Return must still work the menu. The dialog belongs
// to the main window, not to the root.
TEST(VelvaneKiosk, ADialogBelongsToTheMainWindowAndGivesTheFocusBack) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    UseSample(device);
    e2e::ChildProcess velvane = e2e::Start(Velvane(device.Root()));
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ::Window main = WaitForXWindow(x.get(), "Velvane", "Velvane", Patience);
    ASSERT_NE(main, 0u) << velvane.Outcome();
    ::Window dialog = OpenGpsSettingsDialog(x.get(), velvane);
    ASSERT_NE(dialog, 0u);
    EXPECT_EQ(TransientFor(x.get(), dialog), main);

    ASSERT_TRUE(PressKeyIn(x.get(), dialog, "Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !FindXWindow(x.get(), "Dialog", "GPS Einstellungen"); }))
        << velvane.Outcome();
    EXPECT_TRUE(WaitUntil([&] { return FocusedXWindow(x.get()) == main; }, std::chrono::seconds(5)))
        << "the focus is on " << FocusedXWindow(x.get()) << ", not on " << main;

    // Return, typed to whoever has the focus, opens the menu on its first box.
    TypeKey(x.get(), "Return");
    EXPECT_TRUE(
        WaitUntil([&] { return XScreenPixel(x.get(), 20, 20) == Hot; }, std::chrono::seconds(10)))
        << "Return did not reach the main window";
    AskToClose(x.get(), main);
    EXPECT_EQ(velvane.Wait(Patience), 0) << velvane.Outcome();
}

// Stopped while it asks its first question: no main window yet, nothing to
// save, and it goes at once, ended by the signal as asked. The box belongs to
// the main window that is starting up.
TEST(VelvaneKiosk, SigtermEndsItWhileAStartUpMessageBoxWaits) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    e2e::Program program = Velvane(device.Root());
    e2e::ChildProcess velvane = e2e::Start(program);
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ::Window box = WaitForXWindow(x.get(), "Dialog", "Datei nicht gefunden:", Patience);
    ASSERT_NE(box, 0u) << velvane.Outcome();
    ::Window main = FindXWindow(x.get(), "Velvane", "Velvane");
    EXPECT_NE(main, 0u);
    EXPECT_EQ(TransientFor(x.get(), box), main);

    ASSERT_EQ(kill(velvane.Pid(), SIGTERM), 0);
    const auto sent = std::chrono::steady_clock::now();
    velvane.Wait(std::chrono::seconds(10));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - sent);
    EXPECT_EQ(velvane.Outcome(), "signal " + std::to_string(SIGTERM));
    EXPECT_LT(took, std::chrono::seconds(3));
    std::string said = e2e::ReadFile(program.stderrPath);
    EXPECT_NE(said.find("ending on SIGTERM"), std::string::npos) << said;
}

// Ctrl-C while a dialog is open over the dashboard: the close request's save
// is made (the sample saves on exit) before it ends.
TEST(VelvaneKiosk, SigintWhileADialogIsOpenEndsItSaving) {
    VirtualXServer server;
    ASSERT_TRUE(server.Running()) << server.Error();
    TempDevice device;
    UseSample(device);
    const fs::path settings = device.Root() / "Program Files" / "Velvane" / "Velvane.ini";
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
    fs::last_write_time(settings, longAgo);
    e2e::ChildProcess velvane = e2e::Start(Velvane(device.Root()));
    ASSERT_TRUE(velvane.Started());
    XConnection x = OpenXConnection();
    ASSERT_TRUE(x);
    ASSERT_NE(WaitForXWindow(x.get(), "Velvane", "Velvane", Patience), 0u) << velvane.Outcome();
    ASSERT_NE(OpenGpsSettingsDialog(x.get(), velvane), 0u);

    ASSERT_EQ(kill(velvane.Pid(), SIGINT), 0);
    velvane.Wait(std::chrono::seconds(10));
    EXPECT_EQ(velvane.Outcome(), "signal " + std::to_string(SIGINT));
    EXPECT_GT(fs::last_write_time(settings), longAgo) << "the settings were not saved";
}

namespace {

// A UTF-16LE settings file with its BOM, as text and back; CR LF kept.
std::u16string ReadUtf16(const fs::path& path) {
    std::string bytes = e2e::ReadFile(path.string());
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    return text;
}

void WriteUtf16(const fs::path& path, const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    e2e::WriteFile(path.string(), bytes);
}

// Replaces the value of the first line starting with key.
void SetLine(std::u16string& text, const std::u16string& key, const std::u16string& value) {
    size_t at = text.find(u"\r\n" + key);
    ASSERT_NE(at, std::u16string::npos);
    at += 2;
    size_t end = text.find(u"\r\n", at);
    text.replace(at, end - at, key + value);
}

// How much of the screen a picture uses: of 8 x 5 equal cells, those with
// anything else than the background (the colour in the bottom-right corner).
int CellsInUse(const platform::Canvas& screen) {
    const platform::Color background = screen.GetPixel(screen.Width() - 1, screen.Height() - 1);
    bool used[5][8] = {};
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
            if (screen.GetPixel(x, y) != background)
                used[y * 5 / screen.Height()][x * 8 / screen.Width()] = true;
    int count = 0;
    for (auto& row : used)
        for (bool cell : row)
            count += cell;
    return count;
}

} // namespace

// The sample's configuration for the 7-inch panel, each of its speedometer
// skins drawn at 800x480: it loads without a word and the dial fills the
// screen (a 480x272 skin there uses at most a third of it, its unit label
// far below the dial).
TEST(VelvaneKiosk, TheSampleHasSkinsForThe800x480Panel) {
    VirtualXServer server(800, 480);
    ASSERT_TRUE(server.Running()) << server.Error();
    for (const char16_t* skin : {u"Tag800", u"Nacht800", u"Geteilt800", u"Bild800"}) {
        const std::string name = platform::ToUtf8(skin);
        TempDevice device;
        UseSample(device);
        const fs::path folder = device.Root() / "Program Files" / "Velvane";
        std::u16string settings = ReadUtf16(folder / "Velvane.ini");
        SetLine(settings, u"Configuration = ", u"Konfig\\Standard800.ini");
        WriteUtf16(folder / "Velvane.ini", settings);
        std::u16string configuration = ReadUtf16(folder / "Konfig" / "Standard800.ini");
        SetLine(configuration, u"InitialIni = ",
                std::u16string(u"..\\Skins\\Tacho\\") + skin + u".ini");
        WriteUtf16(folder / "Konfig" / "Standard800.ini", configuration);

        e2e::Program program = Velvane(device.Root());
        program.env["CE_SCREEN"] = "800x480";
        e2e::ChildProcess velvane = e2e::Start(program);
        ASSERT_TRUE(velvane.Started());
        XConnection x = OpenXConnection();
        ASSERT_TRUE(x);
        ::Window main = WaitForXWindow(x.get(), "Velvane", "Velvane", Patience);
        ASSERT_NE(main, 0u) << name << ": " << velvane.Outcome();
        // Past the splash, whose time is 999 ms.
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        EXPECT_EQ(FindXWindow(x.get(), "Dialog"), 0u) << name << " brought a message";
        std::unique_ptr<platform::Canvas> screen = GrabXScreen();
        ASSERT_TRUE(screen);
        if (const char* dir = std::getenv("SNAPSHOT_DIR"))
            screen->SavePng(fs::path(dir) / ("velvane-" + name + "-under-x.png"));
        // The picture skin's background image covers every cell anyway.
        EXPECT_GE(CellsInUse(*screen), 20) << name;
        AskToClose(x.get(), main);
        EXPECT_EQ(velvane.Wait(Patience), 0) << name << ": " << velvane.Outcome();
        std::string transcript = e2e::ReadFile((device.Root() / ".transcript").string());
        EXPECT_EQ(transcript.find("Ignoriere"), std::string::npos) << name << ":\n" << transcript;
        EXPECT_EQ(transcript.find("nicht gefunden"), std::string::npos) << name << ":\n"
                                                                        << transcript;
    }
}
