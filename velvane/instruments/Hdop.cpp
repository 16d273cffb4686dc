#include "instruments/Hdop.h"

#include "gps/NmeaField.h"
#include "gps/SentenceFields.h"
#include "gps/ValueSources.h"
#include "ini/IniText.h"

#include "platform/canvas.h"

namespace velvane {

namespace {

void AttachHdop(ValueSources& sources, Hdop& overlay) {
    sources.AddSentenceListener(&overlay);
}
void DetachHdop(ValueSources& sources, Hdop& overlay) {
    sources.RemoveSentenceListener(&overlay);
}

bool IsKey(std::u16string_view key, char16_t upper, char16_t lower) {
    return key.size() == 1 && (key[0] == upper || key[0] == lower);
}

bool StartsWithMinus(std::u16string_view value) {
    return !value.empty() && value[0] == u'-';
}

} // namespace

const ComponentClassOf<Hdop> Hdop::Class{u"HDOP", u"Empfang", EntryKind::Overlay, AttachHdop,
                                         DetachHdop};

Hdop::Hdop(Screen& owner, int width, int height) : Component(owner, width, height) {
    Load({});
}

bool Hdop::Load(std::u16string_view path) {
    m_settings = Settings{};
    m_hdop = NoHdop;
    m_barsLit = 0;
    const bool parsed = path.empty() || IniParser::Load(path);
    RequestRedraw();
    return parsed;
}

int Hdop::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Metrics", name) == 0)
        return MetricsSectionId();
    if (KeywordMatch(u"Colors", name) == 0)
        return ColorsSectionId();
    return IniParser::OnSection(name);
}

int Hdop::FirstSectionId() {
    return IniParser::FirstSectionId() + 2;
}

bool Hdop::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
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
        if (KeywordMatch(u"Width", key) == 0 || KeywordMatch(u"Height", key) == 0) {
            if (number < 0 || number > MaxExtent)
                return false;
            (key[0] == u'W' ? s.width : s.height) = number;
            return true;
        }
        if (KeywordMatch(u"BadHDOP", key) == 0 || KeywordMatch(u"MaxBars", key) == 0) {
            // 0 is kept and shows no bars; negative counts are nonsense.
            if (number < 0 || (key[0] == u'M' && static_cast<uint32_t>(number) > MaxBarCount))
                return false;
            (key[0] == u'B' ? s.badHdop : s.maxBars) = static_cast<uint32_t>(number);
            return true;
        }
        return false;
    }
    if (sectionId == ColorsSectionId()) {
        platform::Color* colour = KeywordMatch(u"Border", key) == 0 ? &s.border
                                  : KeywordMatch(u"Bar", key) == 0  ? &s.bar
                                                                    : nullptr;
        if (!colour || value.size() != 6)
            return false;
        *colour = IniColor(value);
        return true;
    }
    return IniParser::OnAttribute(sectionId, key, value);
}

uint32_t Hdop::BarsFor(int hdop, uint32_t badHdop, uint32_t maxBars) {
    if (badHdop == 0 || maxBars == 0 || hdop < 0 || static_cast<uint32_t>(hdop) >= badHdop)
        return 0;
    return static_cast<uint32_t>(uint64_t(badHdop - static_cast<uint32_t>(hdop)) * maxBars /
                                 badHdop);
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
void Hdop::OnGGA(std::string_view line) {
    const std::optional<std::string_view> field = NmeaField(line, GgaField::Hdop);
    // Missing or empty counts 0, the best reception; so does garbage.
    int hdop = field ? ReadLeadingInteger(*field).value_or(0) : 0;
    if (hdop < 0)
        hdop = 0;
    if (hdop == m_hdop)
        return;
    m_hdop = hdop;
    m_barsLit = BarsFor(hdop, m_settings.badHdop, m_settings.maxBars);
    RequestRedraw();
}

platform::Rect Hdop::Frame() const {
    const Settings& s = m_settings;
    // Resolved here rather than when the key is read, so that a "Width"
    // written after "X" still anchors the right edge.
    const int left = s.rightAnchored ? s.x + m_width - s.width : s.x;
    const int top = s.bottomAnchored ? s.y + m_height - s.height : s.y;
    return {left, top, left + s.width, top + s.height};
}

void Hdop::Draw(platform::Canvas& canvas, int originX, int originY) {
    const Settings& s = m_settings;
    platform::Rect frame = Frame();
    frame.left += originX;
    frame.right += originX;
    frame.top += originY;
    frame.bottom += originY;
    platform::ScopedPen pen(canvas, platform::Pen::Solid(1, s.border));
    {
        platform::ScopedBrush hollow(canvas, platform::Brush::Null());
        canvas.Rectangle(frame);
    }
    if (m_barsLit == 0 || s.maxBars == 0)
        return;
    platform::ScopedBrush brush(canvas, platform::Brush::Solid(s.bar));
    const int64_t innerWidth = s.width - 2;
    const int64_t innerHeight = s.height - 2;
    int left = frame.left;
    for (uint32_t i = 1; i <= m_barsLit; ++i) {
        const int right = frame.left + 1 + static_cast<int>(i * innerWidth / s.maxBars);
        const int top = frame.bottom - 1 - static_cast<int>(i * innerHeight / s.maxBars);
        canvas.Rectangle(left, top, right, frame.bottom - 1);
        left = right;
    }
}

void Hdop::OnStale() {
    m_hdop = NoHdop;
    m_barsLit = 0;
    RequestRedraw();
}

} // namespace velvane
