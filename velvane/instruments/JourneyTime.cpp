#include "instruments/JourneyTime.h"

#include "display/Screen.h"
#include "gps/ValueSources.h"
#include "ini/IniText.h"
#include "instruments/CounterFile.h"

#include "platform/clock.h"
#include "platform/messagebox.h"

#include <algorithm>

namespace velvane {

namespace {

void AttachJourneyTime(ValueSources& sources, JourneyTime& overlay) {
    sources.AddSpeedListener(&overlay);
}
void DetachJourneyTime(ValueSources& sources, JourneyTime& overlay) {
    sources.RemoveSpeedListener(&overlay);
}

// Past about 49 days of driving the counter stays at its limit rather than
// start again from nothing.
uint32_t SaturatingAdd(uint32_t a, uint32_t b) {
    return a > UINT32_MAX - b ? UINT32_MAX : a + b;
}

} // namespace

const ComponentClassOf<JourneyTime> JourneyTime::Class{
    u"JourneyTime", u"Fahrzeit", EntryKind::Overlay, AttachJourneyTime, DetachJourneyTime};

JourneyTime::JourneyTime(Screen& owner, int width, int height)
    : TextOverlay(owner, width, height) {}

JourneyTime::~JourneyTime() {
    // The running stretch too: a deactivation while moving must not lose it.
    if (m_moving)
        Accumulate();
    Save();
}

void JourneyTime::Accumulate() {
    const uint32_t now = platform::GetTickCount();
    m_total = SaturatingAdd(m_total, now - m_last);
    m_last = now;
}

// Its messages have no owner: a save may run while the window goes away.
void JourneyTime::Save() {
    if (!m_save || m_path.empty())
        return;
    if (WriteCounterFile(CounterFilePath(m_path, Suffix), m_total) == CounterWrite::Failed)
        platform::MessageBox(nullptr, u"Fahrzeit konnte nicht gespeichert werden.", u"Fehler",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Error);
}

bool JourneyTime::Load(std::u16string_view path) {
    if (m_moving)
        Accumulate();
    Save();

    m_save = false;
    m_moving = false;
    m_total = 0;
    m_minSpeed = DefaultMinSpeed;
    m_interval = DefaultInterval;
    m_path = path;
    const bool parsed = TextOverlay::Load(path);

    if (!m_path.empty() &&
        ReadCounterFile(CounterFilePath(m_path, Suffix), m_total) == CounterRead::Short)
        platform::MessageBox(nullptr, u"Fahrzeit konnte nicht eingelesen werden.", u"Fehler",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Error);
    return parsed;
}

int JourneyTime::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"JourneyTime", name) == 0)
        return SectionId();
    return TextOverlay::OnSection(name);
}

int JourneyTime::FirstSectionId() {
    return SectionId() + 1;
}

bool JourneyTime::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != SectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"SaveTime", key) == 0) {
        m_save = IniBool(value);
        return true;
    }
    if (KeywordMatch(u"MinSpeed", key) == 0) {
        m_minSpeed = IniInteger(value) * 10;
        return true;
    }
    if (KeywordMatch(u"SavingInterval", key) == 0) {
        // A negative interval would never come round; 0 saves every second.
        const int32_t minutes = std::clamp(IniInteger(value), 0, MaxIntervalMinutes);
        m_interval = static_cast<uint32_t>(minutes) * 60000u;
        return true;
    }
    return false;
}

uint32_t JourneyTime::Shown() const {
    return m_moving ? SaturatingAdd(m_total, platform::GetTickCount() - m_last) : m_total;
}

int JourneyTime::FormatText(char16_t* buffer, int capacity) {
    const uint32_t shown = Shown();
    const uint32_t days = shown / 86400000;
    const uint32_t hours = shown % 86400000 / 3600000;
    const uint32_t minutes = shown % 86400000 % 3600000 / 60000;
    std::u16string text;
    if (days > 0)
        text = Decimal(days) + u"d " + Decimal(hours) + u"h " + Decimal(minutes) + u"m";
    else if (hours > 0)
        text = Decimal(hours) + u"h " + Decimal(minutes) + u"m";
    else
        text = Decimal(minutes) + u"min";
    return CopyText(text, buffer, capacity);
}

bool JourneyTime::OnTap(int x, int y) {
    if (!HitTest(x, y, 5))
        return false;
    if (platform::MessageBox(Owner().Window(), u"Wollen Sie die Fahrzeit zurücksetzten?",
                             u"Zurücksetzten?", platform::MessageBoxButtons::YesNo,
                             platform::MessageBoxIcon::Question) == platform::IdYes) {
        m_total = 0;
        m_moving = false;
        RequestRedraw();
    }
    return true;
}

void JourneyTime::OnSpeed(int32_t speed) {
    const uint32_t now = platform::GetTickCount();
    if (speed < m_minSpeed) {
        if (!m_moving)
            return;
        Accumulate();
        Save();
        m_moving = false;
        RequestRedraw();
        return;
    }
    if (!m_moving) {
        m_moving = true;
        m_last = now;
        return;
    }
    if (now - m_last >= m_interval) {
        Accumulate();
        Save();
    }
    RequestRedraw();
}

} // namespace velvane
