#include "display/Screen.h"
#include "display/StartView.h"

#include "platform/window.h"

#include <algorithm>

namespace velvane {

Screen::Screen(platform::Window* window, int width, int height)
    : Drawable(width, height), m_window(window), m_startView(NewStartView()) {
    m_view = m_startView.get();
    m_top = m_startView.get();
}

Screen::~Screen() = default;

std::unique_ptr<StartView> Screen::NewStartView() {
    return std::make_unique<StartView>(*this, m_width, m_height);
}

namespace {
// Calls fn for each item of a list that may change under it: a snapshot is
// walked, and an item removed meanwhile (and perhaps deleted) is skipped.
template <class Fn> bool ForEachStill(const std::vector<Drawable*>& list, Fn fn) {
    const std::vector<Drawable*> snapshot = list;
    for (Drawable* d : snapshot)
        if (std::find(list.begin(), list.end(), d) != list.end() && fn(d))
            return true;
    return false;
}
} // namespace

void Screen::Draw(platform::Canvas& canvas, int originX, int originY) {
    if (m_view)
        m_view->Draw(canvas, originX, originY);
    ForEachStill(m_overlays, [&](Drawable* d) {
        d->Draw(canvas, originX, originY);
        return false;
    });
    ForEachStill(m_logs, [&](Drawable* d) {
        d->Draw(canvas, originX, originY);
        return false;
    });
    if (m_top)
        m_top->Draw(canvas, originX, originY);
    m_redrawPending = false;
}

void Screen::Resize(int width, int height) {
    Drawable::Resize(width, height);
    if (m_top)
        m_top->Resize(width, height);
    for (Drawable* log : m_logs)
        log->Resize(width, height);
    for (Drawable* overlay : m_overlays)
        overlay->Resize(width, height);
    if (m_view && m_view != m_top)
        m_view->Resize(width, height);
}

bool Screen::OnKey(int keyCode) {
    if (ForEachStill(m_overlays, [&](Drawable* d) { return d->OnKey(keyCode); }))
        return true;
    return m_view && m_view->OnKey(keyCode);
}

bool Screen::OnTap(int x, int y) {
    if (ForEachStill(m_overlays, [&](Drawable* d) { return d->OnTap(x, y); }))
        return true;
    return m_view && m_view->OnTap(x, y);
}

void Screen::RequestRedraw() {
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    InvalidateWindow();
}

void Screen::InvalidateWindow() {
    if (m_window)
        m_window->Invalidate();
}

void Screen::SetView(Drawable* view) {
    m_view = view;
    DeleteStartViewIfUnused();
    RequestRedraw();
}

void Screen::SetTop(Drawable* top) {
    m_top = top;
    DeleteStartViewIfUnused();
}

Drawable* Screen::StartViewIfAlive() const {
    return m_startView.get();
}

void Screen::DeleteStartViewIfUnused() {
    if (m_startView && m_view != m_startView.get() && m_top != m_startView.get())
        m_startView.reset();
}

void Screen::AddOverlay(Drawable* overlay) {
    m_overlays.push_back(overlay);
}

void Screen::RemoveOverlay(Drawable* overlay) {
    std::erase(m_overlays, overlay);
}

void Screen::AddLog(Drawable* log) {
    m_logs.push_back(log);
}

void Screen::RemoveLog(Drawable* log) {
    std::erase(m_logs, log);
}

void Screen::Reset() {
    m_overlays.clear();
    m_logs.clear();
    // The new start view exists before the old one goes, so no field ever
    // points at a deleted object.
    auto fresh = NewStartView();
    m_view = fresh.get();
    m_top = fresh.get();
    m_startView = std::move(fresh);
    RequestRedraw();
}

void Screen::Forget(Drawable* drawable) {
    if (!drawable || drawable == m_startView.get())
        return;
    RemoveOverlay(drawable);
    RemoveLog(drawable);
    if (m_top == drawable)
        m_top = nullptr;
    if (m_view == drawable) {
        if (!m_startView)
            m_startView = NewStartView();
        m_view = m_startView.get();
        RequestRedraw();
    }
    DeleteStartViewIfUnused();
}

} // namespace velvane
