#pragma once
// The highest speed since the program started, reset by a tap.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SpeedListener.h"

#include <cstdint>

namespace velvane {

class TopSpeed : public TextOverlay, public SpeedListener {
public:
    // Section "TopSpeed", an overlay listening to speeds.
    static const ComponentClassOf<TopSpeed> Class;

    TopSpeed(Screen& owner, int width, int height);

    int FormatText(char16_t* buffer, int capacity) override;
    // A tap on the text asks whether to forget the maximum.
    bool OnTap(int x, int y) override;
    void OnSpeed(int32_t speed) override;

    // Tenths of km/h; -1 before the first speed.
    int32_t Maximum() const { return m_maximum; }

private:
    int32_t m_maximum = -1;
};

} // namespace velvane
