#pragma once
// The splash layer: the program's picture centred on the screen with its
// version, shown over everything as the first overlay to see input. Any key
// or tap takes it away and is used up doing so.
#include "app/Menu.h"
#include "display/Component.h"

#include "platform/bitmap.h"

#include <cstdint>
#include <memory>

namespace velvane {

class Splash : public Component {
public:
    static constexpr int BitmapResource = 151;
    static constexpr uint32_t ShowTimeMs = 999;
    // One redraw when a timed showing is over, so the splash goes even when
    // nothing else is drawn (no data yet).
    static constexpr int ExpiryTimerId = 0x5350; // "SP"
    static constexpr char16_t Version[] = u"v1.0";
    static constexpr platform::Color VersionColor = platform::Rgb(0x00, 0x48, 0x88);

    enum class Removal {
        // Goes away by itself at the first drawing more than ShowTimeMs after
        // it was shown.
        Timed,
        // Stays until a key, a tap or Hide.
        Manual,
    };

    explicit Splash(Screen& screen);
    ~Splash() override;

    // Puts it on the screen's overlay list. Without its bitmap there would
    // be nothing to see, so then it stays off and takes no input.
    void Show(Removal removal);
    void Hide();
    bool IsShown() const { return m_shown; }

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    bool OnKey(int keyCode) override;
    bool OnTap(int x, int y) override;

private:
    void StopExpiryTimer();

    std::unique_ptr<platform::Bitmap> m_bitmap;
    bool m_shown = false;
    bool m_listed = false;
    Removal m_removal = Removal::Manual;
    uint32_t m_shownAt = 0;
    // Lets a removal posted from Draw find out whether the splash still lives.
    std::shared_ptr<Splash*> m_self;
};

// "Über": shows the splash (timed) when made, that is whenever the menu tree
// is built; choosing it later takes the splash away or shows it until the
// next key or tap.
class AboutCommand : public Command {
public:
    explicit AboutCommand(Screen& screen);
    void Execute() override;
    Splash& GetSplash() { return m_splash; }

private:
    Splash m_splash;
};

} // namespace velvane
