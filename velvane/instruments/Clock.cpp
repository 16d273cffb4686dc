#include "instruments/Clock.h"
#include "instruments/OverlayText.h"

#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"
#include "gps/ValueSources.h"
#include "ini/IniText.h"

namespace velvane {

namespace {

void AttachClock(ValueSources& sources, Clock& clock) {
    if (!clock.SetsSystemTime())
        return;
    sources.AddSentenceListener(&clock);
    clock.SetListening(true);
}
void DetachClock(ValueSources& sources, Clock& clock) {
    if (!clock.Listening())
        return;
    sources.RemoveSentenceListener(&clock);
    clock.SetListening(false);
}

void AppendNumber(std::u16string& out, unsigned value, size_t run) {
    if (run >= 2 && value < 10)
        out += u'0';
    if (value >= 10)
        out += static_cast<char16_t>(u'0' + value / 10 % 10);
    out += static_cast<char16_t>(u'0' + value % 10);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

const ComponentClassOf<Clock> Clock::Class{u"Clock", u"Uhr", EntryKind::Overlay, AttachClock,
                                           DetachClock};

Clock::Clock(Screen& owner, int width, int height) : TextOverlay(owner, width, height) {}

bool Clock::Load(std::u16string_view path) {
    m_format = DefaultFormat;
    m_setSystemTime = false;
    return TextOverlay::Load(path);
}

int Clock::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Clock", name) == 0)
        return ClockSectionId();
    return TextOverlay::OnSection(name);
}

int Clock::FirstSectionId() {
    return TextOverlay::FirstSectionId() + 1;
}

bool Clock::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != ClockSectionId())
        return TextOverlay::OnAttribute(sectionId, key, value);
    if (KeywordMatch(u"Format", key) == 0) {
        m_format = value; // the whole value, however long
        return true;
    }
    if (KeywordMatch(u"SetSystemTime", key) == 0) {
        m_setSystemTime = IniBool(value);
        return true;
    }
    return false;
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void Clock::OnGGA(std::string_view line) {
    if (m_timeSet)
        return;
    const std::optional<std::string_view> field = NmeaField(line, GgaField::Time);
    if (!field || field->size() < 6)
        return;
    const std::string_view t = *field;
    for (size_t i = 0; i < 6; ++i)
        if (!IsDigit(t[i]))
            return;
    const auto pair = [&](size_t i) {
        return static_cast<uint16_t>((t[i] - '0') * 10 + t[i + 1] - '0');
    };
    const uint16_t hours = pair(0), minutes = pair(2), seconds = pair(4);
    if (hours > 23 || minutes > 59 || seconds > 59)
        return;
    // Only the time of day: the date stays the device's.
    platform::SystemTime now = platform::GetSystemTime();
    now.hour = hours;
    now.minute = minutes;
    now.second = seconds;
    if (!platform::SetSystemTime(now))
        return;
    m_timeSet = true;
    RequestRedraw();
}

std::u16string Clock::FormatTime(const platform::SystemTime& time, std::u16string_view picture) {
    std::u16string out;
    for (size_t i = 0; i < picture.size();) {
        const char16_t c = picture[i];
        if (c == u'\'') {
            // Quoted text up to the closing quote; "''" is one quote.
            for (++i; i < picture.size(); ++i) {
                if (picture[i] != u'\'') {
                    out += picture[i];
                } else if (i + 1 < picture.size() && picture[i + 1] == u'\'') {
                    out += u'\'';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            continue;
        }
        size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        switch (c) {
        case u'H':
            AppendNumber(out, time.hour, run);
            break;
        case u'h':
            AppendNumber(out, time.hour % 12 == 0 ? 12 : time.hour % 12, run);
            break;
        case u'm':
            AppendNumber(out, time.minute, run);
            break;
        case u's':
            AppendNumber(out, time.second, run);
            break;
        case u't':
            out += time.hour < 12 ? u'A' : u'P';
            if (run >= 2)
                out += u'M';
            break;
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

int Clock::FormatText(char16_t* buffer, int capacity) {
    return CopyOverlayText(std::u16string_view(FormatTime(platform::GetLocalTime(), m_format)),
                           buffer, capacity);
}

} // namespace velvane
