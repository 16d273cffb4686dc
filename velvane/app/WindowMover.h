#pragma once
// A small tool window in the top right corner of the screen while a file
// dialog is open: its buttons push the dialog to a screen corner, nudge it by
// 10 pixels, or switch the input panel on and off. It looks for the dialog by
// class and title every 500 ms until it finds it.
#include "platform/bitmap.h"
#include "platform/dialog.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace velvane {

class WindowMover : public platform::DialogHandler {
public:
    enum : int {
        IdTopLeft = 1000,
        IdTopRight,
        IdBottomLeft,
        IdBottomRight,
        IdLeft,
        IdUp,
        IdDown,
        IdRight,
        IdInputPanel,
    };
    static constexpr int ResourceId = 129;
    static constexpr int FirstBitmapId = 102; // faces; disabled ones follow 9 ids later
    static constexpr int SearchTimer = 1;
    static constexpr uint32_t SearchPeriodMs = 500;
    static constexpr int Nudge = 10;

    // Shows the tool window at once.
    explicit WindowMover(std::u16string_view title, std::u16string_view className = u"Dialog");
    ~WindowMover() override;
    WindowMover(const WindowMover&) = delete;
    WindowMover& operator=(const WindowMover&) = delete;

    static platform::DialogTemplate Template();

    // The tool window, or null once it is closed.
    platform::Dialog* GetDialog() const;
    // The dialog it moves, once found and while it lives.
    platform::Window* Target() const;

    bool OnInit(platform::Dialog& dialog) override;
    void OnCommand(platform::Dialog& dialog, int id, platform::Notification notification) override;
    void OnTimer(platform::Dialog& dialog, int id) override;
    void OnDrawItem(platform::Dialog& dialog, int id, platform::Canvas& canvas,
                    const platform::Rect& rect, platform::DrawItemState state) override;
    void OnClose(platform::Dialog& dialog) override;

private:
    void EnableMoves(platform::Dialog& dialog, bool enabled);
    void MoveTarget(platform::Dialog& dialog, int id);
    void ToggleInputPanel();

    std::u16string m_title;
    std::u16string m_className;
    platform::Dialog* m_dialog = nullptr;
    platform::Window* m_target = nullptr;
    std::array<std::unique_ptr<platform::Bitmap>, 18> m_bitmaps;
};

} // namespace velvane
