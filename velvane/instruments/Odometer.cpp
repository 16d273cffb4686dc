#include "instruments/Odometer.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"
#include "ini/IniText.h"
#include "instruments/CounterFile.h"

#include "platform/clock.h"
#include "platform/messagebox.h"

#include <algorithm>

namespace velvane {

namespace {

void AttachOdometer(ValueSources& sources, Odometer& overlay) {
    sources.AddPositionListener(&overlay);
    sources.AddSpeedListener(&overlay);
}
void DetachOdometer(ValueSources& sources, Odometer& overlay) {
    sources.RemovePositionListener(&overlay);
    sources.RemoveSpeedListener(&overlay);
}

} // namespace

const ComponentClassOf<Odometer> Odometer::Class{
    u"Odometer", u"Kilometerzähler", EntryKind::Overlay, AttachOdometer, DetachOdometer};

Odometer::Odometer(Screen& owner, int width, int height) : TextOverlay(owner, width, height) {}

Odometer::~Odometer() {
    Save();
}

// Its messages have no owner: a save may run while the window goes away.
void Odometer::Save() {
    m_lastSave = platform::GetTickCount();
    m_unsaved = false;
    if (!m_save || m_path.empty())
        return;
    if (WriteCounterFile(CounterFilePath(m_path, Suffix), m_total) == CounterWrite::Failed)
        platform::MessageBox(nullptr, u"Kilometerstand konnte nicht gespeichert werden.", u"Fehler",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Error);
}

bool Odometer::Load(std::u16string_view path) {
    Save();
    // The save flag stays as the last file set it unless the new one says.
    m_speed = -1;
    m_total = 0;
    m_minSpeed = DefaultMinSpeed;
    m_interval = DefaultInterval;
    m_last = GeoPosition();
    m_jumps = 0;
    m_path = path;
    const bool parsed = TextOverlay::Load(path);

    if (!m_path.empty() &&
        ReadCounterFile(CounterFilePath(m_path, Suffix), m_total) == CounterRead::Short)
        platform::MessageBox(nullptr, u"Kilometerstand konnte nicht eingelesen werden.", u"Fehler",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Error);
    m_lastSave = platform::GetTickCount();
    m_unsaved = false;
    return parsed;
}

int Odometer::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Odometer", name) == 0)
        return SectionId();
    return TextOverlay::OnSection(name);
}

int Odometer::FirstSectionId() {
    return SectionId() + 1;
}

bool Odometer::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != SectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"SaveMileage", key) == 0) {
        m_save = IniBool(value);
        return true;
    }
    if (KeywordMatch(u"MinSpeed", key) == 0) {
        m_minSpeed = IniInteger(value) * 10;
        return true;
    }
    if (KeywordMatch(u"SavingInterval", key) == 0) {
        const int32_t minutes = std::clamp(IniInteger(value), 0, MaxIntervalMinutes);
        m_interval = static_cast<uint32_t>(minutes) * 60000u;
        return true;
    }
    return false;
}

int Odometer::FormatText(char16_t* buffer, int capacity) {
    return CopyText(Owner().Units().DistanceText(m_total), buffer, capacity);
}

bool Odometer::OnTap(int x, int y) {
    if (!HitTest(x, y, 5))
        return false;
    if (platform::MessageBox(Owner().Window(), u"Wollen Sie den Kilometerstand zurücksetzten?",
                             u"Zurücksetzten?", platform::MessageBoxButtons::YesNo,
                             platform::MessageBoxIcon::Question) == platform::IdYes) {
        m_total = 0;
        RequestRedraw();
    }
    return true;
}

void Odometer::OnSpeed(int32_t speed) {
    // A stop is a good moment to keep what was driven.
    if (speed < m_minSpeed && m_speed >= m_minSpeed && m_unsaved)
        Save();
    m_speed = speed;
}

void Odometer::OnPosition(const GeoPosition& position) {
    if (!position.IsValid())
        return;
    const uint32_t now = platform::GetTickCount();
    if (m_speed >= m_minSpeed && m_last.IsValid()) {
        const uint32_t step = m_last.DistanceTo(position);
        // Fixes closer together than a second are judged as a second apart.
        const uint64_t elapsed = std::max<uint32_t>(now - m_lastTick, 1000);
        if (step > elapsed * MaxCentimetresPerSecond / 1000) {
            ++m_jumps;
        } else if (step > 0) {
            m_total = m_total > UINT32_MAX - step ? UINT32_MAX : m_total + step;
            m_unsaved = true;
            // Shown at once even over a view that does not redraw by itself.
            RequestRedraw();
        }
    }
    m_last = position;
    m_lastTick = now;
    if (m_unsaved && now - m_lastSave >= m_interval)
        Save();
}

} // namespace velvane
