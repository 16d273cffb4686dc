#pragma once
// The mean of all speeds above 0 since the overlay was loaded, reset by a tap.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SpeedListener.h"

#include <cstdint>

namespace velvane {

class AverageSpeed : public TextOverlay, public SpeedListener {
public:
    // Section "AverageSpeed", an overlay listening to speeds.
    static const ComponentClassOf<AverageSpeed> Class;

    AverageSpeed(Screen& owner, int width, int height);

    // A new skin starts a new average.
    bool Load(std::u16string_view path) override;
    int FormatText(char16_t* buffer, int capacity) override;
    bool OnTap(int x, int y) override;
    // Stops (0) are left out; no redraw, the next frame shows the new mean.
    void OnSpeed(int32_t speed) override;

    uint32_t Sum() const { return m_sum; }
    uint32_t Count() const { return m_count; }
    // Tests start near the limits.
    void SetState(uint32_t sum, uint32_t count) {
        m_sum = sum;
        m_count = count;
    }

private:
    uint32_t m_sum = 0;
    uint32_t m_count = 0;
};

} // namespace velvane
