#include "instruments/Fps.h"

#include "platform/clock.h"

#include <algorithm>
#include <cstdio>

namespace velvane {

FpsOverlay::FpsOverlay(Screen& owner, int width, int height)
    : TextOverlay(owner, width, height), m_start(platform::GetTickCount()) {}

int FpsOverlay::FormatText(char16_t* buffer, int capacity) {
    const uint32_t now = platform::GetTickCount();
    ++m_count;
    const uint32_t elapsed = now == m_start ? 1u : now - m_start;
    const float rate = static_cast<float>(m_count) * 1000.0f / static_cast<float>(elapsed);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.1f fps", static_cast<double>(rate));
    // Cut to the buffer, never past what was written.
    const int shown =
        std::clamp(std::min(length, static_cast<int>(sizeof text) - 1), 0, std::max(capacity, 0));
    for (int i = 0; i < shown; ++i)
        buffer[i] = static_cast<char16_t>(text[i]);
    if (m_count >= 9) {
        // Keep the rate of the newest frames: move the start as far as the
        // oldest frames took on average.
        m_start += static_cast<uint32_t>(uint64_t{m_count - 4} * (now - m_start) / m_count);
        m_count = 4;
    }
    return shown;
}

const ComponentClassOf<FpsOverlay> FpsOverlay::Class{u"FPS", u"FPS", EntryKind::Overlay};

} // namespace velvane
