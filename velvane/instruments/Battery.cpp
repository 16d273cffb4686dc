#include "instruments/Battery.h"

#include "gps/ValueSources.h"
#include "ini/IniText.h"

#include "platform/canvas.h"
#include "platform/clock.h"
#include "platform/messagebox.h"

#include <array>

namespace velvane {

namespace {

void AttachBattery(ValueSources& sources, Battery& overlay) {
    sources.AddSentenceListener(&overlay);
}
void DetachBattery(ValueSources& sources, Battery& overlay) {
    sources.RemoveSentenceListener(&overlay);
}

bool IsKey(std::u16string_view key, char16_t upper, char16_t lower) {
    return key.size() == 1 && (key[0] == upper || key[0] == lower);
}

bool StartsWithMinus(std::u16string_view value) {
    return !value.empty() && value[0] == u'-';
}

bool SameShown(const platform::SystemPowerStatus& a, const platform::SystemPowerStatus& b) {
    return a.acLineStatus == b.acLineStatus && a.batteryFlag == b.batteryFlag &&
           a.batteryLifePercent == b.batteryLifePercent;
}

} // namespace

const ComponentClassOf<Battery> Battery::Class{u"Battery", u"Batterie", EntryKind::Overlay,
                                               AttachBattery, DetachBattery};

Battery::Battery(Screen& owner, int width, int height) : Component(owner, width, height) {}

bool Battery::Load(std::u16string_view path) {
    m_settings = Settings{};
    const bool parsed = IniParser::Load(path);
    Read();
    if (!m_hasStatus && !m_reported) {
        m_reported = true;
        platform::MessageBox(nullptr, u"LoadLibrary - \"coredll.dll\"", u"Fehler",
                             platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::Error);
    }
    RequestRedraw();
    return parsed;
}

int Battery::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Metrics", name) == 0)
        return MetricsSectionId();
    if (KeywordMatch(u"Colors", name) == 0)
        return ColorsSectionId();
    return IniParser::OnSection(name);
}

int Battery::FirstSectionId() {
    return IniParser::FirstSectionId() + 2;
}

bool Battery::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    Settings& s = m_settings;
    if (key.empty())
        return IniParser::OnAttribute(sectionId, key, value);
    if (sectionId == MetricsSectionId()) {
        if (IsKey(key, u'X', u'x')) {
            s.x = IniInteger(value);
            s.rightAnchored = StartsWithMinus(value);
            return true;
        }
        if (IsKey(key, u'Y', u'y')) {
            s.y = IniInteger(value);
            s.bottomAnchored = StartsWithMinus(value);
            return true;
        }
        const int number = IniInteger(value);
        int* target = KeywordMatch(u"Width", key) == 0         ? &s.width
                      : KeywordMatch(u"Height", key) == 0      ? &s.height
                      : KeywordMatch(u"AnzSegments", key) == 0 ? &s.segments
                                                               : nullptr;
        // Too small to draw or too large for any screen: refused.
        const int limit = target == &s.segments ? MaxSegments : MaxExtent;
        const int least = target == &s.segments ? 1 : 6;
        if (!target || number < least || number > limit)
            return false;
        *target = number;
        return true;
    }
    if (sectionId == ColorsSectionId()) {
        const std::array<std::pair<const char16_t*, platform::Color*>, 5> keys{{
            {u"Battery", &s.battery},
            {u"Lightning", &s.lightning},
            {u"HighPower", &s.highPower},
            {u"LowPower", &s.lowPower},
            {u"CriticalPower", &s.criticalPower},
        }};
        for (const auto& [name, colour] : keys) {
            if (KeywordMatch(name, key) == 0) {
                if (value.size() != 6)
                    return false;
                *colour = IniColor(value);
                return true;
            }
        }
        return false;
    }
    return IniParser::OnAttribute(sectionId, key, value);
}

bool Battery::Read() {
    platform::SystemPowerStatus status;
    const bool had = m_hasStatus;
    const platform::SystemPowerStatus old = m_status;
    m_hasStatus = platform::GetSystemPowerStatus(status);
    m_status = m_hasStatus ? status : platform::SystemPowerStatus{};
    m_read = true;
    m_lastRead = platform::GetTickCount();
    return had != m_hasStatus || !SameShown(old, m_status);
}

void Battery::RefreshIfDue() {
    if (m_read && platform::GetTickCount() - m_lastRead < RefreshInterval)
        return;
    if (Read())
        RequestRedraw();
}

void Battery::OnRMC(std::string_view) {
    RefreshIfDue();
}

void Battery::OnGGA(std::string_view) {
    RefreshIfDue();
}

platform::Rect Battery::Body() const {
    const Settings& s = m_settings;
    const int left = s.rightAnchored ? s.x + m_width - s.width : s.x;
    const int top = s.bottomAnchored ? s.y + m_height - s.height : s.y;
    // The terminal on the right takes a tenth of the width, at least 2 pixels.
    const int terminal = std::max(2, s.width / 10);
    return {left, top, left + s.width - terminal, top + s.height};
}

int Battery::SegmentsLit() const {
    const int percent = m_status.batteryLifePercent;
    if (!m_hasStatus || percent > 100 || percent == 0)
        return 0;
    // Any charge at all lights the first segment; a full battery all of them.
    return (percent * m_settings.segments + 99) / 100;
}

static platform::Color SegmentColorFor(const Battery::Settings& s, uint8_t flag) {
    if (flag != platform::BatteryFlag::Unknown && (flag & platform::BatteryFlag::Critical))
        return s.criticalPower;
    if (flag != platform::BatteryFlag::Unknown && (flag & platform::BatteryFlag::Low))
        return s.lowPower;
    return s.highPower;
}

platform::Color Battery::SegmentColor() const {
    return SegmentColorFor(m_settings, m_status.batteryFlag);
}

bool Battery::ShowsLightning() const {
    return m_hasStatus && m_status.acLineStatus == platform::AcLine::Online;
}

void Battery::Draw(platform::Canvas& canvas, int originX, int originY) {
    RefreshIfDue();
    const Settings& s = m_settings;
    platform::Rect body = Body();
    body.left += originX;
    body.right += originX;
    body.top += originY;
    body.bottom += originY;
    const int w = body.right - body.left;
    const int h = body.bottom - body.top;

    platform::ScopedPen pen(canvas, platform::Pen::Solid(1, s.battery));
    {
        platform::ScopedBrush hollow(canvas, platform::Brush::Null());
        canvas.Rectangle(body);
    }
    const int terminalHeight = std::max(2, h / 2);
    const int terminalTop = body.top + (h - terminalHeight) / 2;
    canvas.FillRect({body.right, terminalTop, body.left + s.width, terminalTop + terminalHeight},
                    s.battery);

    // Segments inside a one-pixel margin, one pixel apart.
    const int lit = SegmentsLit();
    const platform::Rect inner{body.left + 2, body.top + 2, body.right - 2, body.bottom - 2};
    const int innerWidth = inner.right - inner.left;
    const platform::Color colour = SegmentColor();
    for (int k = 0; k < lit; ++k) {
        const int left = inner.left + k * innerWidth / s.segments;
        const int right = inner.left + (k + 1) * innerWidth / s.segments - 1;
        if (right > left)
            canvas.FillRect({left, inner.top, right, inner.bottom}, colour);
    }

    if (!ShowsLightning())
        return;
    // A bolt over the middle of the body, in fractions of its size.
    constexpr std::array<std::pair<int, int>, 7> bolt{
        {{58, 5}, {22, 58}, {46, 58}, {38, 95}, {78, 40}, {54, 40}, {66, 5}}};
    std::array<platform::Point, bolt.size()> points;
    for (size_t i = 0; i < bolt.size(); ++i)
        points[i] = {body.left + w * bolt[i].first / 100, body.top + h * bolt[i].second / 100};
    platform::ScopedPen boltPen(canvas, platform::Pen::Solid(1, s.lightning));
    platform::ScopedBrush boltBrush(canvas, platform::Brush::Solid(s.lightning));
    canvas.Polygon(points);
}

} // namespace velvane
