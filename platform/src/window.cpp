#include "platform/window.h"
#include "backend.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "sdl/viewport_transform.h"
#include "window_system.h"

#include <algorithm>

namespace platform {

void WindowHandler::OnClose(Window& window) {
    window.Destroy();
}

Window::Window(const WindowOptions& options, WindowHandler& handler)
    : m_className(options.className), m_title(options.title), m_rect(options.rect),
      m_style(options.style), m_owner(options.owner), m_handler(handler),
      m_visible(options.visible) {}

Window* Window::Create(const WindowOptions& options, WindowHandler& handler) {
    return WindowSystem::Get().Create(options, handler);
}

void Window::Destroy() {
    WindowSystem::Get().Destroy(*this);
}

void Window::Invalidate() {
    if (!m_destroyed)
        m_paintPending = true;
}

void Window::Update() {
    if (m_paintPending && !m_destroyed)
        WindowSystem::Get().Paint(*this);
}

void Window::SetTimer(int id, uint32_t periodMs, std::function<void()> callback) {
    if (!m_destroyed)
        WindowSystem::Get().SetTimer(*this, id, periodMs, std::move(callback));
}

void Window::KillTimer(int id) {
    WindowSystem::Get().KillTimer(*this, id);
}

void Window::SetTitle(std::u16string_view title) {
    m_title = title;
    CurrentBackend().WindowChanged(*this);
}

void Window::Move(const Rect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    bool resized = rect.Width() != m_rect.Width() || rect.Height() != m_rect.Height();
    m_rect = rect;
    if (resized) {
        if (auto canvas = Canvas::Create(rect.Width(), rect.Height()))
            m_surface = std::move(canvas);
        Invalidate();
    }
    CurrentBackend().WindowChanged(*this);
}

void Window::Show(bool visible) {
    m_visible = visible;
    if (visible)
        Invalidate();
    CurrentBackend().WindowChanged(*this);
}

void Window::BringToFront() {
    WindowSystem::Get().BringToFront(*this);
}

void Window::Close() {
    if (!m_destroyed)
        m_handler.OnClose(*this);
}

void Window::Key(int virtualKey) {
    if (!m_destroyed)
        m_handler.OnKeyDown(*this, virtualKey);
}

void Window::Tap(int x, int y) {
    if (!m_destroyed)
        m_handler.OnTap(*this, x, y);
}

void Window::Char(char16_t c) {
    if (!m_destroyed)
        m_handler.OnChar(*this, c);
}

bool Window::SnapshotPng(const std::filesystem::path& hostPath) {
    Update();
    return m_surface->SavePng(hostPath);
}

std::vector<Window*> TopLevelWindows() {
    return WindowSystem::Get().Live();
}

Window* FindWindow(std::u16string_view className, std::u16string_view title) {
    for (Window* w : WindowSystem::Get().Live())
        if (w->ClassName() == className && (title.empty() || w->Title() == title))
            return w;
    return nullptr;
}

Rect WorkArea() {
    return {0, 0, Host().screenWidth, Host().screenHeight};
}

int RunMessageLoop() {
    auto& system = WindowSystem::Get();
    while (WaitAndPump()) {
    }
    int code = system.ExitCode();
    system.ResetQuit();
    return code;
}

void PostQuit(int exitCode) {
    WindowSystem::Get().PostQuit(exitCode);
}

void PostTask(std::function<void()> fn) {
    WindowSystem::Get().Post(std::move(fn));
}

bool PumpMessages() {
    return WindowSystem::Get().Pump();
}

bool WaitAndPump() {
    auto& system = WindowSystem::Get();
    if (!system.Pump())
        return false;
    CurrentBackend().Wait(system.MillisecondsToNextTimer());
    return system.Pump();
}

namespace {
std::vector<std::u16string>& Classes() {
    static std::vector<std::u16string> classes = {u"Dialog"};
    return classes;
}
// Our own windows are handed out as their address; a foreign one has the
// top bit set so that the two never meet, and its X id moved up one bit, as
// the lowest bit of a handle asks for the owned windows too and X ids use it.
constexpr uint64_t ForeignBit = 1ull << 63;
} // namespace

bool RegisterDialogClass(std::u16string_view className, int /*iconResourceId*/) {
    if (className.empty()) {
        SetLastError(ErrorCode::InvalidParameter, "a window class needs a name");
        return false;
    }
    if (IsClassRegistered(className)) {
        SetLastError(ErrorCode::AlreadyExists, "class \"" + ToUtf8(className) + "\" exists");
        return false;
    }
    Classes().emplace_back(className);
    return true;
}

bool IsClassRegistered(std::u16string_view className) {
    for (auto& c : Classes())
        if (c == className)
            return true;
    return false;
}

WindowHandle FindTopLevelWindow(std::u16string_view className, std::u16string_view title) {
    if (Window* own = FindWindow(className, title))
        return {reinterpret_cast<uintptr_t>(own)};
    uint64_t foreign = CurrentBackend().FindForeignWindow(className, title);
    return {foreign ? ((foreign << 1) | ForeignBit) : 0};
}

bool SetForegroundWindow(WindowHandle handle) {
    uint64_t value = handle.value & ~1ull;
    if (value & ForeignBit) {
        bool ok = CurrentBackend().ActivateForeignWindow((value & ~ForeignBit) >> 1);
        TranscriptWrite(std::string("foreground foreign=") + (ok ? "yes" : "no"));
        return ok;
    }
    for (Window* w : WindowSystem::Get().Live()) {
        if (reinterpret_cast<uintptr_t>(w) == value) {
            w->BringToFront();
            if (handle.value & 1) // with the windows it owns
                for (Window* owned : WindowSystem::Get().Live())
                    if (owned->Owner() == w)
                        owned->BringToFront();
            TranscriptWrite("foreground title=\"" + QuoteForTranscript(w->Title()) + "\"");
            return true;
        }
    }
    SetLastError(ErrorCode::InvalidHandle, "no such window");
    return false;
}

namespace {
Presentation& CurrentPresentation() {
    static Presentation presentation;
    return presentation;
}
} // namespace

bool SetPresentation(bool mirror, int rotation) {
    if (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270) {
        SetLastError(ErrorCode::InvalidParameter,
                     "a rotation is 0, 90, 180 or 270, not " + std::to_string(rotation));
        return false;
    }
    Presentation& current = CurrentPresentation();
    if (current.mirror == mirror && current.rotation == rotation)
        return true;
    current = {mirror, rotation};
    CurrentBackend().PresentationChanged();
    return true;
}

Presentation GetPresentation() {
    return CurrentPresentation();
}

bool SnapshotScreenPng(const std::filesystem::path& hostPath) {
    auto screen = Canvas::Create(Host().screenWidth, Host().screenHeight);
    if (!screen)
        return false;
    screen->FillRect({0, 0, screen->Width(), screen->Height()}, Rgb(0, 0, 0));
    for (Window* w : WindowSystem::Get().Live()) {
        if (!w->IsVisible())
            continue;
        w->Update();
        Rect r = w->GetRect();
        screen->BitBlt(r.left, r.top, r.Width(), r.Height(), w->Surface(), 0, 0);
    }
    const Presentation presentation = GetPresentation();
    if (presentation.IsPlain())
        return screen->SavePng(hostPath);
    // Pixel for pixel, as a tap would find them.
    const Size logical{screen->Width(), screen->Height()};
    const ViewportTransform view(logical, {}, presentation);
    const Size turned = view.Turned();
    const ViewportTransform exact(logical, turned, presentation);
    auto shown = Canvas::Create(turned.cx, turned.cy);
    if (!shown)
        return false;
    for (int y = 0; y < turned.cy; ++y)
        for (int x = 0; x < turned.cx; ++x)
            if (auto at = exact.ToLogical(x, y))
                shown->SetPixel(x, y, screen->GetPixel(at->x, at->y));
    return shown->SavePng(hostPath);
}

// WindowSystem

WindowSystem& WindowSystem::Get() {
    static WindowSystem system;
    return system;
}

Window* WindowSystem::Create(const WindowOptions& options, WindowHandler& handler) {
    if (options.rect.Width() <= 0 || options.rect.Height() <= 0) {
        SetLastError(ErrorCode::InvalidParameter,
                     "window \"" + ToUtf8(options.title) + "\" has no size");
        return nullptr;
    }
    std::unique_ptr<Window> window(new Window(options, handler));
    window->m_surface = Canvas::Create(options.rect.Width(), options.rect.Height());
    if (!window->m_surface)
        return nullptr;
    Window* w = window.get();
    m_windows.push_back(std::move(window));
    CurrentBackend().WindowCreated(*w);
    if (!handler.OnCreate(*w)) {
        Destroy(*w);
        ReapDestroyed();
        SetLastError(ErrorCode::InvalidParameter,
                     "window \"" + ToUtf8(options.title) + "\" refused creation");
        return nullptr;
    }
    w->m_creating = false;
    if (w->m_visible)
        w->Invalidate();
    return w;
}

void WindowSystem::Destroy(Window& window) {
    if (window.m_destroyed)
        return;
    // Owned windows go first, as on the device.
    for (auto& other : m_windows)
        if (other->m_owner == &window)
            Destroy(*other);
    window.m_handler.OnDestroy(window);
    window.m_destroyed = true;
    window.m_paintPending = false;
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [&](const Timer& t) { return t.window == &window; }),
                   m_timers.end());
    CurrentBackend().WindowDestroyed(window);
}

void WindowSystem::BringToFront(Window& window) {
    auto it = std::find_if(m_windows.begin(), m_windows.end(),
                           [&](auto& w) { return w.get() == &window; });
    if (it == m_windows.end())
        return;
    std::rotate(it, it + 1, m_windows.end());
    CurrentBackend().WindowChanged(window);
}

std::vector<Window*> WindowSystem::Live() const {
    std::vector<Window*> out;
    for (auto& w : m_windows)
        if (!w->m_destroyed)
            out.push_back(w.get());
    return out;
}

Window* WindowSystem::MainWindow() const {
    // A window still in its OnCreate (a start-up dialog may be up) cannot be
    // closed yet.
    for (auto& w : m_windows)
        if (!w->m_destroyed && !w->m_owner && !w->m_creating)
            return w.get();
    return nullptr;
}

Window* WindowSystem::WindowAt(int x, int y) const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if (!(*it)->m_destroyed && (*it)->m_visible && (*it)->m_rect.Contains(x, y))
            return it->get();
    return nullptr;
}

Window* WindowSystem::TopVisible() const {
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if (!(*it)->m_destroyed && (*it)->m_visible)
            return it->get();
    return nullptr;
}

void WindowSystem::SetTimer(Window& window, int id, uint32_t periodMs,
                            std::function<void()> callback) {
    uint64_t now = CurrentBackend().MonotonicMs();
    uint32_t period = std::max<uint32_t>(periodMs, 1);
    for (auto& t : m_timers) {
        if (t.window == &window && t.id == id) {
            t.period = period;
            t.due = now + period;
            t.callback = std::move(callback);
            return;
        }
    }
    m_timers.push_back({&window, id, period, now + period, std::move(callback)});
}

void WindowSystem::KillTimer(Window& window, int id) {
    m_timers.erase(
        std::remove_if(m_timers.begin(), m_timers.end(),
                       [&](const Timer& t) { return t.window == &window && t.id == id; }),
        m_timers.end());
}

int64_t WindowSystem::MillisecondsToNextTimer() const {
    if (m_timers.empty())
        return -1;
    uint64_t now = CurrentBackend().MonotonicMs();
    uint64_t next = NextDue();
    return next <= now ? 0 : static_cast<int64_t>(next - now);
}

void WindowSystem::FireTimer(size_t index) {
    Timer& t = m_timers[index];
    Window* window = t.window;
    int id = t.id;
    // The callback may set or kill timers, so nothing of t is used after it.
    auto callback = t.callback;
    t.due += t.period;
    uint64_t now = CurrentBackend().MonotonicMs();
    if (t.due <= now) // missed periods are not made up, as on the device
        t.due = now + t.period;
    if (callback)
        callback();
    else
        window->Handler().OnTimer(*window, id);
}

void WindowSystem::FireDueTimers() {
    uint64_t now = CurrentBackend().MonotonicMs();
    std::vector<std::pair<Window*, int>> due;
    for (auto& t : m_timers)
        if (t.due <= now)
            due.emplace_back(t.window, t.id);
    for (auto [window, id] : due) {
        for (size_t i = 0; i < m_timers.size(); ++i) {
            if (m_timers[i].window == window && m_timers[i].id == id) {
                if (m_timers[i].due <= now)
                    FireTimer(i);
                break;
            }
        }
        if (m_quit)
            return;
    }
}

uint64_t WindowSystem::NextDue() const {
    uint64_t next = UINT64_MAX;
    for (auto& t : m_timers)
        next = std::min(next, t.due);
    return next;
}

bool WindowSystem::Pump() {
    for (int round = 0; round < 1000 && !m_tasks.empty() && !m_quit; ++round) {
        auto task = std::move(m_tasks.front());
        m_tasks.pop_front();
        task();
    }
    if (!m_quit)
        FireDueTimers();
    PaintPending();
    ReapDestroyed();
    return !m_quit;
}

void WindowSystem::Paint(Window& window) {
    window.m_paintPending = false;
    window.m_handler.OnPaint(window, *window.m_surface);
    CurrentBackend().Present(window);
}

void WindowSystem::PaintPending() {
    for (size_t i = 0; i < m_windows.size(); ++i) {
        Window& w = *m_windows[i];
        if (w.m_paintPending && !w.m_destroyed && w.m_visible)
            Paint(w);
    }
}

void WindowSystem::ReapDestroyed() {
    m_windows.erase(
        std::remove_if(m_windows.begin(), m_windows.end(), [](auto& w) { return w->m_destroyed; }),
        m_windows.end());
}

void WindowSystem::PostQuit(int code) {
    if (!m_quit)
        m_exitCode = code;
    m_quit = true;
}

void WindowSystem::Clear() {
    // The handlers may be gone already (a test's stack): no callbacks here.
    for (auto& w : m_windows) {
        if (!w->m_destroyed)
            CurrentBackend().WindowDestroyed(*w);
        w->m_destroyed = true;
    }
    ReapDestroyed();
    m_timers.clear();
    m_tasks.clear();
    m_quit = false;
    m_exitCode = 0;
}

} // namespace platform
