#pragma once
// Top-level windows with a class name and a title, a handler for their
// messages, timers and coalesced invalidation, and the message loop. Every
// window has its own surface: OnPaint draws into it and the backend shows it.
#include "platform/canvas.h"
#include "platform/geometry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Window;
// What the running backend keeps for a window; only backends know it.
struct WindowBackendData;

class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    // False refuses the window: Create then fails and the window is gone.
    virtual bool OnCreate(Window&) { return true; }
    // canvas is the window's surface, of the window's size.
    virtual void OnPaint(Window&, Canvas&) {}
    // The user asks to close (or automation's `quit`); the default destroys.
    virtual void OnClose(Window& window);
    // The window is going away; it is deleted after this returns.
    virtual void OnDestroy(Window&) {}
    virtual void OnKeyDown(Window&, int /*virtualKey*/) {}
    // Left button or finger released, in window coordinates.
    virtual void OnTap(Window&, int /*x*/, int /*y*/) {}
    // Timers set without a callback of their own arrive here.
    virtual void OnTimer(Window&, int /*id*/) {}
    // A typed character (automation's `type`, or text input).
    virtual void OnChar(Window&, char16_t) {}
};

enum class WindowStyle { Normal, ToolWindow, NoCaption };

struct WindowOptions {
    std::u16string className;
    std::u16string title;
    Rect rect;
    WindowStyle style = WindowStyle::Normal;
    Window* owner = nullptr;
    bool visible = true;
};

class Window {
public:
    // Null (LastError set) when the handler refuses or the size is invalid.
    // The platform owns the window until it is destroyed.
    static Window* Create(const WindowOptions& options, WindowHandler& handler);

    // OnDestroy, then the window is deleted at the next safe point.
    void Destroy();
    bool IsAlive() const { return !m_destroyed; }

    // Asks for one OnPaint; many requests before it cost one paint. The
    // surface is not erased.
    void Invalidate();
    // Paints now if a paint is pending.
    void Update();

    // Periodic timer; a new period for a known id replaces it. Without a
    // callback the handler's OnTimer is called.
    void SetTimer(int id, uint32_t periodMs, std::function<void()> callback = {});
    void KillTimer(int id);

    const std::u16string& ClassName() const { return m_className; }
    const std::u16string& Title() const { return m_title; }
    void SetTitle(std::u16string_view title);
    Rect GetRect() const { return m_rect; } // screen coordinates
    // Moves and resizes; the surface follows the size and is repainted.
    void Move(const Rect& rect);
    void Show(bool visible);
    bool IsVisible() const { return m_visible; }
    void BringToFront();
    Window* Owner() const { return m_owner; }
    WindowHandler& Handler() { return m_handler; }
    Canvas& Surface() { return *m_surface; }

    // What the user does, as the backends and automation deliver it.
    void Close();
    void Key(int virtualKey);
    void Tap(int x, int y);
    void Char(char16_t c);

    bool SnapshotPng(const std::filesystem::path& hostPath);

    // For backends: their data for this window (an SDL window, say).
    WindowBackendData* BackendData() const { return m_backendData; }
    void SetBackendData(WindowBackendData* data) { m_backendData = data; }

private:
    Window(const WindowOptions& options, WindowHandler& handler);
    friend class WindowSystem;

    std::u16string m_className;
    std::u16string m_title;
    Rect m_rect;
    WindowStyle m_style;
    Window* m_owner;
    WindowHandler& m_handler;
    std::unique_ptr<Canvas> m_surface;
    bool m_visible;
    bool m_paintPending = false;
    bool m_destroyed = false;
    bool m_creating = true; // until OnCreate has accepted
    WindowBackendData* m_backendData = nullptr;

public:
    WindowStyle Style() const { return m_style; }
    bool PaintPending() const { return m_paintPending; }
};

// Top-level windows in z-order, back to front (the live ones).
std::vector<Window*> TopLevelWindows();
// A live top-level window by class (and title, when given); null if none.
Window* FindWindow(std::u16string_view className, std::u16string_view title = {});
// The screen size (CE_SCREEN).
Rect WorkArea();

// Runs until PostQuit; returns its code. Automation scripts run here in the
// headless backend whenever the loop would wait.
int RunMessageLoop();
void PostQuit(int exitCode);
// Runs fn on the loop's thread after the current message.
void PostTask(std::function<void()> fn);
// Handles what is due without waiting; false once quit was posted. Modal
// loops call this until their condition is met.
bool PumpMessages();
// Blocks until something happens (or handles one automation step headless),
// then handles it; false once quit was posted.
bool WaitAndPump();

// Window classes. "Dialog" always exists; a program registers its own as a
// copy of it (with its icon) so that others can find its windows by class.
bool RegisterDialogClass(std::u16string_view className, int iconResourceId);
bool IsClassRegistered(std::u16string_view className);

// A top-level window of any program: one of ours, or under X11 another
// process's. Zero is none.
struct WindowHandle {
    uint64_t value = 0;
    explicit operator bool() const { return value != 0; }
};
// Finds a top-level window by class (and title when given), ours first.
WindowHandle FindTopLevelWindow(std::u16string_view className, std::u16string_view title = {});
// Brings it to the front and gives it the input. As on the device, the
// lowest bit of the handle may be set to bring its owned windows along.
bool SetForegroundWindow(WindowHandle handle);

// How the whole picture reaches the eye: turned clockwise by 0, 90, 180 or
// 270 degrees (a screen mounted on its side), then mirrored left to right (a
// head-up display seen in a windscreen). Programs keep drawing and getting
// taps in their own upright coordinates; the backend turns both.
struct Presentation {
    bool mirror = false;
    int rotation = 0;
    bool IsPlain() const { return !mirror && rotation == 0; }
    bool Swaps() const { return rotation == 90 || rotation == 270; }
};
// False (and nothing changes) for any other rotation. Best set before the
// first window, as a turned window takes the turned shape.
bool SetPresentation(bool mirror, int rotation);
Presentation GetPresentation();

// The whole screen: every visible top-level window composed back to front,
// as presented (turned and mirrored).
bool SnapshotScreenPng(const std::filesystem::path& hostPath);

} // namespace platform
