#include "instruments/AverageSpeed.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"
#include "instruments/CounterFile.h"

#include "platform/messagebox.h"

#include <cstdint>

namespace velvane {

namespace {

void AttachAverageSpeed(ValueSources& sources, AverageSpeed& overlay) {
    sources.AddSpeedListener(&overlay);
}
void DetachAverageSpeed(ValueSources& sources, AverageSpeed& overlay) {
    sources.RemoveSpeedListener(&overlay);
}

} // namespace

const ComponentClassOf<AverageSpeed> AverageSpeed::Class{
    u"AverageSpeed", u"Ø-Geschw.", EntryKind::Overlay, AttachAverageSpeed, DetachAverageSpeed};

AverageSpeed::AverageSpeed(Screen& owner, int width, int height)
    : TextOverlay(owner, width, height) {}

bool AverageSpeed::Load(std::u16string_view path) {
    m_sum = 0;
    m_count = 0;
    return TextOverlay::Load(path);
}

int AverageSpeed::FormatText(char16_t* buffer, int capacity) {
    if (m_count == 0)
        return CopyText(u"-.- Ø", buffer, capacity);
    const auto average =
        static_cast<uint32_t>(Owner().Units().Speed(static_cast<int32_t>(m_sum / m_count)));
    return CopyText(Decimal(average / 10) + u"." + Decimal(average % 10) + u" Ø", buffer, capacity);
}

bool AverageSpeed::OnTap(int x, int y) {
    if (!HitTest(x, y, 5))
        return false;
    if (platform::MessageBox(Owner().Window(),
                             u"Wollen Sie die Durchschnittsgeschwindigkeit zurücksetzten?",
                             u"Zurücksetzten?", platform::MessageBoxButtons::YesNo,
                             platform::MessageBoxIcon::Question) == platform::IdYes) {
        m_sum = 0;
        m_count = 0;
        RequestRedraw();
    }
    return true;
}

void AverageSpeed::OnSpeed(int32_t speed) {
    if (speed <= 0) // stops, and nothing a source may send
        return;
    const auto value = static_cast<uint32_t>(speed);
    // Near either limit, drop 256 samples' worth and keep the mean.
    while (m_sum > UINT32_MAX - value || m_count == UINT32_MAX) {
        if (m_count < 256) {
            m_sum = 0;
            m_count = 0;
        } else {
            // 256 samples' share of the sum exactly; dividing by count / 256
            // would take up to a third of it at small counts.
            m_sum -= static_cast<uint32_t>(static_cast<uint64_t>(m_sum) * 256 / m_count);
            m_count -= 256;
        }
    }
    m_sum += value;
    m_count += 1;
}

} // namespace velvane
