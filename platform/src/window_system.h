#pragma once
// Backend-neutral bookkeeping of windows, timers and posted tasks; backends
// deliver input through it and ask it when the next timer is due.
#include "platform/window.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class WindowSystem {
public:
    static WindowSystem& Get();

    Window* Create(const WindowOptions& options, WindowHandler& handler);
    void Destroy(Window& window);
    void BringToFront(Window& window);
    std::vector<Window*> Live() const;
    // The first live window without owner: what `quit` closes.
    Window* MainWindow() const;
    // The topmost visible window containing a screen point.
    Window* WindowAt(int x, int y) const;
    Window* TopVisible() const;

    void SetTimer(Window& window, int id, uint32_t periodMs, std::function<void()> callback);
    void KillTimer(Window& window, int id);
    // Milliseconds until the next timer is due (0 when overdue), -1 if none.
    int64_t MillisecondsToNextTimer() const;
    // Fires the timers due at the backend's current time, each once.
    void FireDueTimers();
    // When the next timer is due on the backend's clock; UINT64_MAX if none.
    uint64_t NextDue() const;

    void Post(std::function<void()> fn) { m_tasks.push_back(std::move(fn)); }
    // Tasks, timers, paints and deferred deletions; false once quit.
    bool Pump();
    void Paint(Window& window);
    void PostQuit(int code);
    bool QuitPosted() const { return m_quit; }
    int ExitCode() const { return m_exitCode; }
    // A new loop after an earlier one ended (tests run several programs).
    void ResetQuit() { m_quit = false; }
    // Drops every window, timer and task without calling handlers.
    void Clear();

private:
    struct Timer {
        Window* window;
        int id;
        uint32_t period;
        uint64_t due;
        std::function<void()> callback;
    };
    void FireTimer(size_t index);
    void PaintPending();
    void ReapDestroyed();

    std::vector<std::unique_ptr<Window>> m_windows; // back to front
    std::vector<Timer> m_timers;
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
    int m_exitCode = 0;
};

} // namespace platform
