#pragma once
// The window-sized container of what is visible: the current view, the
// overlays and logs over it and the menu on top. It owns none of them except
// its built-in start view, and it turns any number of redraw requests between
// two paints into one invalidation of the window.
#include "display/Drawable.h"
#include "display/Units.h"

#include <memory>
#include <vector>

namespace platform {
class Window;
}

namespace velvane {

class StartView;

class Screen : public Drawable {
public:
    // window may be null (nothing to invalidate), e.g. before it exists.
    Screen(platform::Window* window, int width, int height);
    ~Screen() override;

    // View, overlays in order, logs in order, then the top object.
    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    void Resize(int width, int height) override;
    // Overlays in order, then the current view; logs and the top object are
    // not asked (the menu gets input from the application).
    bool OnKey(int keyCode) override;
    bool OnTap(int x, int y) override;

    // Invalidates the window unless a redraw is already pending.
    void RequestRedraw();
    bool RedrawPending() const { return m_redrawPending; }

    // Shows view; the start view goes away once nothing refers to it.
    void SetView(Drawable* view);
    Drawable* View() const { return m_view; }
    void SetTop(Drawable* top);
    Drawable* Top() const { return m_top; }
    // The built-in start view while it exists, else null.
    Drawable* StartViewIfAlive() const;

    void AddOverlay(Drawable* overlay);
    // Removes every occurrence.
    void RemoveOverlay(Drawable* overlay);
    const std::vector<Drawable*>& Overlays() const { return m_overlays; }
    void AddLog(Drawable* log);
    void RemoveLog(Drawable* log);
    const std::vector<Drawable*>& Logs() const { return m_logs; }

    // Empties both lists; a fresh start view becomes view and top.
    void Reset();
    // Drops every reference to an object that is about to be deleted. The
    // start view takes the place of a forgotten current view so that the
    // screen never draws a deleted object.
    void Forget(Drawable* drawable);

    platform::Window* Window() const { return m_window; }

    // What the components show speeds, distances and altitudes in. Set before
    // the components are made: some take their unit texts when built.
    const velvane::Units& Units() const { return m_units; }
    void SetUnits(const velvane::Units& units) { m_units = units; }

protected:
    // The one place the window is touched; tests count the calls here.
    virtual void InvalidateWindow();

private:
    void DeleteStartViewIfUnused();
    std::unique_ptr<StartView> NewStartView();

    platform::Window* m_window;
    velvane::Units m_units;
    bool m_redrawPending = false;
    Drawable* m_view = nullptr;
    Drawable* m_top = nullptr;
    std::unique_ptr<StartView> m_startView;
    std::vector<Drawable*> m_overlays;
    std::vector<Drawable*> m_logs;
};

} // namespace velvane
