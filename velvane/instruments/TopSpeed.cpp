#include "instruments/TopSpeed.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"
#include "instruments/CounterFile.h"

#include "platform/messagebox.h"

namespace velvane {

namespace {

void AttachTopSpeed(ValueSources& sources, TopSpeed& overlay) {
    sources.AddSpeedListener(&overlay);
}
void DetachTopSpeed(ValueSources& sources, TopSpeed& overlay) {
    sources.RemoveSpeedListener(&overlay);
}

} // namespace

const ComponentClassOf<TopSpeed> TopSpeed::Class{u"TopSpeed", u"Vmax", EntryKind::Overlay,
                                                 AttachTopSpeed, DetachTopSpeed};

TopSpeed::TopSpeed(Screen& owner, int width, int height) : TextOverlay(owner, width, height) {}

int TopSpeed::FormatText(char16_t* buffer, int capacity) {
    const Units& units = Owner().Units();
    const std::u16string unit(units.SpeedUnit());
    if (m_maximum < 0)
        return CopyText(u"-.-" + unit, buffer, capacity);
    const auto maximum = static_cast<uint32_t>(units.Speed(m_maximum));
    return CopyText(Decimal(maximum / 10) + u"." + Decimal(maximum % 10) + unit, buffer, capacity);
}

bool TopSpeed::OnTap(int x, int y) {
    if (!HitTest(x, y, 6))
        return false;
    if (platform::MessageBox(Owner().Window(),
                             u"Wollen Sie die Höchstgeschwindigkeit zurücksetzten?",
                             u"Zurücksetzten?", platform::MessageBoxButtons::YesNo,
                             platform::MessageBoxIcon::Question) == platform::IdYes) {
        m_maximum = -1;
        RequestRedraw();
    }
    return true;
}

void TopSpeed::OnSpeed(int32_t speed) {
    if (speed > m_maximum) {
        m_maximum = speed;
        RequestRedraw();
    }
}

} // namespace velvane
