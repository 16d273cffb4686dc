#include "app/Application.h"

#include "app/Menu.h"
#include "app/MenuTree.h"
#include "app/TachoModel.h"
#include "display/Screen.h"

#include <functional>

namespace velvane {

Application::Application() = default;

Application::~Application() {
    Release();
}

bool Application::OnCreate(platform::Window& window) {
    // The client size is taken once and kept for the program's life.
    platform::Rect r = window.GetRect();
    m_width = r.Width();
    m_height = r.Height();
    m_screen = std::make_unique<Screen>(&window, m_width, m_height);
    m_model = std::make_unique<TachoModel>(&window, m_screen.get());
    if (!m_model->StartUp()) {
        m_quitAtStartUp = true;
        Release();
        return false;
    }
    m_tree = std::make_unique<MenuTree>(*m_screen, *m_model, &window);
    m_tree->Build();
    return true;
}

void Application::OnPaint(platform::Window&, platform::Canvas& canvas) {
    if (!m_screen)
        return;
    if (!m_buffer)
        m_buffer = platform::Canvas::Create(m_width, m_height);
    if (!m_buffer)
        return;
    m_screen->Draw(*m_buffer, 0, 0);
    canvas.BitBlt(0, 0, m_width, m_height, *m_buffer, 0, 0);
}

void Application::OnClose(platform::Window& window) {
    if (m_model && m_model->Settings().SaveOnExit())
        m_model->SaveAtExit();
    window.Destroy();
}

void Application::OnDestroy(platform::Window&) {
    Release();
    platform::PostQuit(0);
}

template <class Input> void Application::Route(Input offerToScreen, Input offerToMenu) {
    if (!m_screen)
        return;
    Menu* menu = m_tree ? m_tree->Root() : nullptr;
    // While the menu is open it takes everything; otherwise the instruments
    // come first and whatever they leave opens the menu.
    if (menu && menu->IsOpen()) {
        offerToMenu(*menu);
        return;
    }
    if (offerToScreen(*m_screen))
        return;
    if (menu)
        offerToMenu(*menu);
}

void Application::OnKeyDown(platform::Window&, int virtualKey) {
    Route<std::function<bool(Drawable&)>>([&](Drawable& d) { return d.OnKey(virtualKey); },
                                          [&](Drawable& d) { return d.OnKey(virtualKey); });
}

void Application::OnTap(platform::Window&, int x, int y) {
    Route<std::function<bool(Drawable&)>>([&](Drawable& d) { return d.OnTap(x, y); },
                                          [&](Drawable& d) { return d.OnTap(x, y); });
}

void Application::Release() {
    // The menu's commands use the model and the screen, and the model's
    // components are on the screen: tree, model, then screen.
    if (m_screen)
        m_screen->SetTop(nullptr);
    m_tree.reset();
    m_model.reset();
    m_screen.reset();
    m_buffer.reset();
}

int RunVelvane() {
    platform::WindowOptions options;
    options.className = u"Velvane";
    options.title = u"Velvane";
    options.rect = platform::WorkArea();
    options.style = platform::WindowStyle::NoCaption;
    Application application;
    platform::Window* window = platform::Window::Create(options, application);
    if (!window)
        return application.QuitAtStartUp() ? 0 : -1;
    window->Update();
    return platform::RunMessageLoop();
}

} // namespace velvane
