#pragma once
// What the screen shows before any view is chosen: the program's name and how
// to reach the menu.
#include "display/Component.h"

namespace velvane {

class StartView : public Component {
public:
    static constexpr char16_t Title[] = u"Velvane 1.0";
    static constexpr char16_t Hint[] =
        u"Wählen Sie die Tacho-Anzeige im Menü aus oder laden Sie eine Konfiguration.\n"
        u"Das Menü erreichen sie durch Tippen auf den Bildschirm oder Drücken einer Taste.";
    // Space between the border of the view and the frame drawn inside it.
    static constexpr int Margin = 10;

    using Component::Component;
    void Draw(platform::Canvas& canvas, int originX, int originY) override;

    // Height of each of the two rows at the top of the frame.
    int RowHeight() const { return (m_height - 2 * Margin) / 8; }
};

} // namespace velvane
