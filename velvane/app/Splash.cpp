#include "app/Splash.h"

#include "app/MenuStyle.h"
#include "display/Screen.h"

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace velvane {

Splash::Splash(Screen& screen)
    : Component(screen, screen.Width(), screen.Height()),
      m_bitmap(platform::Bitmap::LoadResource(BitmapResource)),
      m_self(std::make_shared<Splash*>(this)) {}

Splash::~Splash() {
    StopExpiryTimer();
    if (m_listed)
        Owner().RemoveOverlay(this);
}

void Splash::Show(Removal removal) {
    if (!m_bitmap)
        return;
    m_removal = removal;
    m_shownAt = platform::GetTickCount();
    m_shown = true;
    if (!m_listed) {
        Owner().AddOverlay(this);
        m_listed = true;
    }
    StopExpiryTimer();
    if (platform::Window* window = Owner().Window(); window && removal == Removal::Timed)
        window->SetTimer(ExpiryTimerId, ShowTimeMs + 1, [this] {
            StopExpiryTimer();
            if (m_shown)
                RequestRedraw();
        });
    RequestRedraw();
}

void Splash::StopExpiryTimer() {
    if (platform::Window* window = Owner().Window())
        window->KillTimer(ExpiryTimerId);
}

void Splash::Hide() {
    if (!m_shown)
        return;
    m_shown = false;
    StopExpiryTimer();
    if (m_listed) {
        Owner().RemoveOverlay(this);
        m_listed = false;
    }
    RequestRedraw();
}

void Splash::Draw(platform::Canvas& canvas, int originX, int originY) {
    if (!m_shown || !m_bitmap)
        return;
    if (m_removal == Removal::Timed && platform::GetTickCount() - m_shownAt > ShowTimeMs) {
        // The screen is walking its overlay list right now, so the entry is
        // taken out once this paint is over; meanwhile it draws nothing and
        // lets input pass.
        m_shown = false;
        platform::PostTask([self = std::weak_ptr<Splash*>(m_self)] {
            if (auto alive = self.lock(); alive && !(*alive)->m_shown && (*alive)->m_listed) {
                (*alive)->Owner().RemoveOverlay(*alive);
                (*alive)->m_listed = false;
            }
        });
        return;
    }
    const int width = m_bitmap->Width();
    const int height = m_bitmap->Height();
    const int left = originX + (m_width - width) / 2;
    const int top = originY + (m_height - height) / 2;
    canvas.TransparentBlt(platform::Rect{left, top, left + width, top + height}, *m_bitmap,
                          platform::Rect{0, 0, width, height}, MenuStyle::TransparentKey);

    platform::CanvasStateSaver saved(canvas);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.SetTextColor(VersionColor);
    platform::Rect box{left, top, left + width - 6, top + height * 2 / 5};
    using namespace platform::TextFlag;
    canvas.DrawText(Version, box, Right | Bottom | SingleLine | NoPrefix);
}

bool Splash::OnKey(int) {
    if (!m_shown)
        return false;
    Hide();
    return true;
}

bool Splash::OnTap(int, int) {
    return OnKey(0);
}

AboutCommand::AboutCommand(Screen& screen) : m_splash(screen) {
    m_splash.Show(Splash::Removal::Timed);
}

void AboutCommand::Execute() {
    if (m_splash.IsShown())
        m_splash.Hide();
    else
        m_splash.Show(Splash::Removal::Manual);
}

} // namespace velvane
