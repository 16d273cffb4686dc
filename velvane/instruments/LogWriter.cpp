#include "instruments/LogWriter.h"

#include "display/Screen.h"
#include "ini/IniText.h"

#include "platform/window.h"

namespace velvane {

namespace {

constexpr std::u16string_view SectionNames[] = {u"Metrics", u"Colors", u"Settings"};

// How often a log looks whether written data has become old enough to sync
// while no record comes that would do it.
constexpr uint32_t SyncCheckPeriodMs = 500;

// Each log needs a timer id of its own on the main window.
int NextSyncTimerId() {
    static int next = 0x4C4F0000; // "LO"
    return next++;
}

bool IsKey(std::u16string_view key, char16_t upper, char16_t lower) {
    return key.size() == 1 && (key[0] == upper || key[0] == lower);
}

bool ReadColor(std::u16string_view value, platform::Color& color) {
    if (value.size() != 6)
        return false;
    color = IniColor(value);
    return true;
}

} // namespace

LogWriter::LogWriter(Screen& owner, int width, int height)
    : Component(owner, width, height), m_syncTimerId(NextSyncTimerId()) {}

LogWriter::~LogWriter() {
    if (m_syncTimerSet && Owner().Window())
        Owner().Window()->KillTimer(m_syncTimerId);
}

bool LogWriter::Load(std::u16string_view path) {
    m_recorder.Close();
    m_logPath.clear();
    m_intervalMs = 0;
    m_lamp = Lamp{};
    ResetSettings();
    const bool parsed = IniParser::Load(path);
    const unsigned parts = (m_appendDate ? LogNameDate : 0u) | (m_appendTime ? LogNameTime : 0u);
    m_recorder.Open(m_logPath, parts, m_intervalMs);
    RequestRedraw();
    return parsed;
}

int LogWriter::OnSection(std::u16string_view name) {
    for (int i = 0; i < SectionCount; ++i)
        if (KeywordMatch(SectionNames[i].data(), name) == 0)
            return IniParser::FirstSectionId() + i;
    return IniParser::OnSection(name);
}

int LogWriter::FirstSectionId() {
    return IniParser::FirstSectionId() + SectionCount;
}

bool LogWriter::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    const bool minus = !value.empty() && value[0] == u'-';
    switch (sectionId - IniParser::FirstSectionId()) {
    case Metrics:
        if (IsKey(key, u'X', u'x')) {
            m_lamp.x = IniInteger(value);
            m_lamp.fromRight = minus;
        } else if (IsKey(key, u'Y', u'y')) {
            m_lamp.y = IniInteger(value);
            m_lamp.fromBottom = minus;
        } else if (KeywordMatch(u"Diameter", key) == 0) {
            m_lamp.diameter = IniInteger(value);
        } else {
            return false;
        }
        return true;
    case Colors:
        if (KeywordMatch(u"Good", key) == 0)
            return ReadColor(value, m_lamp.good);
        if (KeywordMatch(u"Bad", key) == 0)
            return ReadColor(value, m_lamp.bad);
        if (KeywordMatch(u"Frame", key) == 0)
            return ReadColor(value, m_lamp.frame);
        return false;
    case Settings:
        if (KeywordMatch(u"LogFile", key) == 0)
            m_logPath = value;
        else if (KeywordMatch(u"AppendDate", key) == 0)
            m_appendDate = IniBool(value);
        else if (KeywordMatch(u"AppendTime", key) == 0)
            m_appendTime = IniBool(value);
        else if (KeywordMatch(u"LogIntervall", key) == 0)
            m_intervalMs = static_cast<uint32_t>(IniInteger(value));
        else
            return false;
        return true;
    default:
        return IniParser::OnAttribute(sectionId, key, value);
    }
}

// An edge-anchored position is resolved with the final diameter, whatever
// order the keys came in, so the lamp never hangs over the edge.
int LogWriter::LampX() const {
    return m_lamp.fromRight ? m_lamp.x + m_width - m_lamp.diameter : m_lamp.x;
}

int LogWriter::LampY() const {
    return m_lamp.fromBottom ? m_lamp.y + m_height - m_lamp.diameter : m_lamp.y;
}

void LogWriter::Draw(platform::Canvas& canvas, int originX, int originY) {
    const LampState state = m_recorder.Lamp();
    const platform::Brush brush = state == LampState::Good     ? platform::Brush::Solid(m_lamp.good)
                                  : state == LampState::Hollow ? platform::Brush::Null()
                                                               : platform::Brush::Solid(m_lamp.bad);
    platform::ScopedBrush useBrush(canvas, brush);
    platform::ScopedPen usePen(canvas, platform::Pen::Solid(1, m_lamp.frame));
    const int x = originX + LampX(), y = originY + LampY(), d = m_lamp.diameter;
    canvas.RoundRect(x, y, x + d, y + d, d, d);
}

void LogWriter::WriteRecord(std::string_view record) {
    if (m_recorder.WriteRecord(record))
        RequestRedraw();
    KeepSynced();
}

// Records may stop coming (the receiver unplugged); the timer still brings
// the last ones to the medium in time, and stops once they are there.
void LogWriter::KeepSynced() {
    platform::Window* window = Owner().Window();
    if (!window || m_syncTimerSet == m_recorder.HasUnsynced())
        return;
    m_syncTimerSet = m_recorder.HasUnsynced();
    if (!m_syncTimerSet) {
        window->KillTimer(m_syncTimerId);
        return;
    }
    window->SetTimer(m_syncTimerId, SyncCheckPeriodMs, [this] {
        m_recorder.SyncIfDue();
        KeepSynced();
    });
}

} // namespace velvane
