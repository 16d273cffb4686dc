#include "app/MenuStyle.h"

#include "ini/IniText.h"

#include <algorithm>

namespace velvane {

using platform::Rgb;

MenuStyle::MenuStyle() {
    RestoreDefaults();
    CreateDrawingObjects();
}

void MenuStyle::RestoreDefaults() {
    m_dx = 5;
    m_dy = 5;
    m_itemHeight = 25;
    m_fontSize = 14;
    m_hotFontSize = 14;
    m_fontFace.clear();
    m_hotFontWeight = 400;
    m_style = 0;
    m_maxItemsPerRow = 5;
    m_frame = Rgb(0x00, 0x00, 0x00);
    m_hotFrame = Rgb(0xFF, 0xFF, 0xFF);
    m_background = Rgb(0xC4, 0xC4, 0xC4);
    m_hotBackground = Rgb(0x20, 0x20, 0x20);
    m_text = Rgb(0x00, 0x00, 0x00);
    m_hotText = Rgb(0xFF, 0xFF, 0xFF);
}

bool MenuStyle::Load(std::u16string_view path) {
    RestoreDefaults();
    const bool parsed = path.empty() || IniParser::Load(path);
    for (int* metric : {&m_dx, &m_dy, &m_itemHeight, &m_fontSize, &m_hotFontSize})
        *metric = std::clamp(*metric, -MaxMetric, MaxMetric);
    CreateDrawingObjects();
    return parsed;
}

void MenuStyle::CreateDrawingObjects() {
    m_framePen = platform::Pen::Solid(1, m_frame);
    m_hotFramePen = platform::Pen::Solid(1, m_hotFrame);
    m_backgroundBrush = platform::Brush::Solid(m_background);
    m_hotBackgroundBrush = platform::Brush::Solid(m_hotBackground);
    m_font = platform::Font::Create(m_fontSize, 0, m_fontFace);
    m_hotFont = platform::Font::Create(m_hotFontSize, m_hotFontWeight, m_fontFace);
    m_checkMark = platform::Bitmap::LoadResource(CheckMarkResource);
}

int MenuStyle::OnSection(std::u16string_view name) {
    if (KeywordMatch(u"Metrics", name) == 0)
        return MetricsSectionId();
    if (KeywordMatch(u"Colors", name) == 0)
        return ColorsSectionId();
    return IniParser::OnSection(name);
}

int MenuStyle::FirstSectionId() {
    return IniParser::FirstSectionId() + 2;
}

bool MenuStyle::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId == MetricsSectionId())
        return OnMetrics(key, value);
    if (sectionId == ColorsSectionId())
        return OnColors(key, value);
    return IniParser::OnAttribute(sectionId, key, value);
}

bool MenuStyle::OnMetrics(std::u16string_view key, std::u16string_view value) {
    if (KeywordMatch(u"dx", key) == 0) {
        m_dx = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"dy", key) == 0) {
        m_dy = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"ItemHeight", key) == 0) {
        m_itemHeight = IniInteger(value);
        return true;
    }
    // "Font" before "FontSize": the other way round "Font" would be read as a
    // leading part of "FontSize" and no face could ever be set.
    if (KeywordMatch(u"Font", key) == 0) {
        m_fontFace = value.substr(0, platform::Font::MaxFaceLength);
        return true;
    }
    if (KeywordMatch(u"FontSize", key) == 0) {
        m_fontSize = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"HotFontSize", key) == 0) {
        m_hotFontSize = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"HotFontWeight", key) == 0) {
        m_hotFontWeight = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"Style", key) == 0) {
        m_style = IniInteger(value);
        return true;
    }
    if (KeywordMatch(u"MaxItemsPerRow", key) == 0) {
        const int perRow = IniInteger(value);
        m_maxItemsPerRow = perRow > 0 ? perRow : 1;
        return true;
    }
    return false;
}

bool MenuStyle::OnColors(std::u16string_view key, std::u16string_view value) {
    platform::Color* target = nullptr;
    if (KeywordMatch(u"Frame", key) == 0)
        target = &m_frame;
    else if (KeywordMatch(u"HotFrame", key) == 0)
        target = &m_hotFrame;
    else if (KeywordMatch(u"Background", key) == 0)
        target = &m_background;
    else if (KeywordMatch(u"HotBackground", key) == 0)
        target = &m_hotBackground;
    else if (KeywordMatch(u"Text", key) == 0)
        target = &m_text;
    else if (KeywordMatch(u"HotText", key) == 0)
        target = &m_hotText;
    if (!target || value.size() != 6)
        return false;
    *target = IniColor(value);
    return true;
}

} // namespace velvane
