#pragma once
// How often the screen is drawn: each drawing of the overlay counts a frame,
// and the rate is averaged over the last four to eight frames.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"

#include <cstdint>

namespace velvane {

class FpsOverlay : public TextOverlay {
public:
    // Section "FPS", an overlay without GPS data.
    static const ComponentClassOf<FpsOverlay> Class;

    FpsOverlay(Screen& owner, int width, int height);

    // Counts a frame and writes "12.5 fps".
    int FormatText(char16_t* buffer, int capacity) override;

private:
    uint32_t m_start;
    uint32_t m_count = 0;
};

} // namespace velvane
