#include "display/TextOverlay.h"

#include "ini/IniText.h"

#include <algorithm>

namespace velvane {

namespace {

bool StartsWithMinus(std::u16string_view value) {
    return !value.empty() && value[0] == u'-';
}

bool IsKey(std::u16string_view key, char16_t upper, char16_t lower) {
    return key.size() == 1 && (key[0] == upper || key[0] == lower);
}

} // namespace

TextOverlay::TextOverlay(Screen& owner, int width, int height)
    : Component(owner, width, height), m_buffer(DefaultBufferSize) {}

void TextOverlay::RestoreDefaults() {
    m_font.reset();
    m_faceName.clear();
    m_buffer.assign(DefaultBufferSize, 0);
    m_x = DefaultX;
    m_y = DefaultY;
    m_size = 0;
    m_weight = 0;
    m_color = 0;
    m_rightAnchored = false;
    m_bottomAnchored = false;
}

bool TextOverlay::Load(std::u16string_view path) {
    RestoreDefaults();
    const bool parsed = IniParser::Load(path);
    m_font = platform::Font::Create(m_size, m_weight, m_faceName);
    m_faceName.clear();
    RequestRedraw();
    return parsed;
}

int TextOverlay::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Settings", name) == 0)
        return SettingsSectionId();
    return IniParser::OnSection(name);
}

int TextOverlay::FirstSectionId() {
    return IniParser::FirstSectionId() + 1;
}

bool TextOverlay::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != SettingsSectionId())
        return IniParser::OnAttribute(sectionId, key, value);
    if (IsKey(key, u'X', u'x')) {
        m_x = IniInteger(value);
        m_rightAnchored = StartsWithMinus(value);
        return true;
    }
    if (IsKey(key, u'Y', u'y')) {
        m_y = IniInteger(value);
        m_bottomAnchored = StartsWithMinus(value);
        return true;
    }
    if (KeywordMatch(u"Size", key) == 0) {
        m_size = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"Weight", key) == 0) {
        m_weight = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"BufferSize", key) == 0) {
        const int size = IniInteger(value);
        if (size < 1 || size > MaxBufferSize)
            return false;
        m_buffer.assign(size, 0);
        return true;
    }
    if (KeywordMatch(u"Color", key) == 0) {
        if (value.size() != 6)
            return false;
        m_color = IniColor(value);
        return true;
    }
    if (KeywordMatch(u"Font", key) == 0) {
        m_faceName = value.substr(0, platform::Font::MaxFaceLength);
        return true;
    }
    return false;
}

void TextOverlay::Draw(platform::Canvas& canvas, int originX, int originY) {
    platform::CanvasStateSaver saved(canvas);
    canvas.SetBackgroundMode(platform::BackgroundMode::Transparent);
    canvas.SetTextColor(m_color);
    if (m_font)
        canvas.SelectFont(*m_font);

    const int capacity = static_cast<int>(m_buffer.size());
    const int length = std::clamp(FormatText(m_buffer.data(), capacity), 0, capacity);

    using namespace platform::TextFlag;
    uint32_t flags = NoPrefix | NoClip | WordBreak;
    if (m_rightAnchored)
        flags |= Right;
    if (m_bottomAnchored)
        flags |= Bottom;
    platform::Rect rect{originX + m_x, originY + m_y, originX + m_x + m_width,
                        originY + m_y + m_height};
    canvas.DrawText(std::u16string_view(m_buffer.data(), length), rect, flags);
}

bool TextOverlay::HitTest(int x, int y, int characters) const {
    const int estimate = characters * m_size * 2 / 3;
    const int left = m_rightAnchored ? m_x + m_width - estimate : m_x;
    const int top = m_bottomAnchored ? m_y + m_height - m_size : m_y;
    return x >= left && x < left + estimate && y >= top && y < top + m_size;
}

} // namespace velvane
