#pragma once
// The main window's handler: owns the screen, the model and the menu tree,
// draws every frame off screen and copies it whole, and routes keys and taps.
#include "platform/canvas.h"
#include "platform/window.h"

#include <memory>

namespace velvane {

class MenuTree;
class Screen;
class TachoModel;

class Application : public platform::WindowHandler {
public:
    Application();
    ~Application() override;

    // Start-up: false refuses the window (the user chose to quit, or the
    // start failed).
    bool OnCreate(platform::Window& window) override;
    void OnPaint(platform::Window& window, platform::Canvas& canvas) override;
    void OnClose(platform::Window& window) override;
    void OnDestroy(platform::Window& window) override;
    void OnKeyDown(platform::Window& window, int virtualKey) override;
    void OnTap(platform::Window& window, int x, int y) override;

    // True when the user chose to quit during start-up.
    bool QuitAtStartUp() const { return m_quitAtStartUp; }
    Screen* GetScreen() const { return m_screen.get(); }
    TachoModel* Model() const { return m_model.get(); }
    MenuTree* Tree() const { return m_tree.get(); }

private:
    template <class Input> void Route(Input offerToScreen, Input offerToMenu);
    void Release();

    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<Screen> m_screen;
    std::unique_ptr<TachoModel> m_model;
    std::unique_ptr<MenuTree> m_tree;
    std::unique_ptr<platform::Canvas> m_buffer;
    bool m_quitAtStartUp = false;
};

// The program: the window class "Velvane" over the work area and the message
// loop. Returns the exit code.
int RunVelvane();

} // namespace velvane
