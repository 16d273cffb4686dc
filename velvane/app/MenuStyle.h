#pragma once
// The look of one menu tree: sizes from section "Metrics", colours from
// section "Colors" of the menu style file, and the pens, brushes, fonts and
// check mark made from them.
#include "ini/IniParser.h"

#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <memory>
#include <string>

namespace velvane {

class MenuStyle : public IniParser {
public:
    static constexpr int CheckMarkResource = 101;
    static constexpr int CheckMarkSize = 26;
    static constexpr platform::Color TransparentKey = platform::Rgb(0xFF, 0x00, 0xFF);
    // Margins, item height and font sizes are kept within this many pixels
    // either way: far beyond any screen, and small enough that the rows of
    // a long menu cannot overflow the layout's integer arithmetic.
    static constexpr int MaxMetric = 10000;

    // The built-in defaults with their drawing objects already made.
    MenuStyle();

    // The defaults, then the file (an empty path reads nothing), then the
    // drawing objects. The result is the parser's; false leaves the defaults
    // for whatever the file did not set.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    int Dx() const { return m_dx; }
    int Dy() const { return m_dy; }
    int ItemHeight() const { return m_itemHeight; }
    int FontSize() const { return m_fontSize; }
    int HotFontSize() const { return m_hotFontSize; }
    const std::u16string& FontFace() const { return m_fontFace; }
    int HotFontWeight() const { return m_hotFontWeight; }
    int Style() const { return m_style; }
    int MaxItemsPerRow() const { return m_maxItemsPerRow; }
    platform::Color FrameColor() const { return m_frame; }
    platform::Color HotFrameColor() const { return m_hotFrame; }
    platform::Color BackgroundColor() const { return m_background; }
    platform::Color HotBackgroundColor() const { return m_hotBackground; }
    platform::Color TextColor() const { return m_text; }
    platform::Color HotTextColor() const { return m_hotText; }

    const platform::Pen& FramePen() const { return m_framePen; }
    const platform::Pen& HotFramePen() const { return m_hotFramePen; }
    const platform::Brush& BackgroundBrush() const { return m_backgroundBrush; }
    const platform::Brush& HotBackgroundBrush() const { return m_hotBackgroundBrush; }
    const platform::Font& NormalFont() const { return m_font; }
    const platform::Font& HotFont() const { return m_hotFont; }
    // Null when the program carries no check-mark bitmap.
    const platform::Bitmap* CheckMark() const { return m_checkMark.get(); }

private:
    void RestoreDefaults();
    void CreateDrawingObjects();
    bool OnMetrics(std::u16string_view key, std::u16string_view value);
    bool OnColors(std::u16string_view key, std::u16string_view value);
    int MetricsSectionId() { return IniParser::FirstSectionId(); }
    int ColorsSectionId() { return IniParser::FirstSectionId() + 1; }

    int m_dx = 5;
    int m_dy = 5;
    int m_itemHeight = 25;
    int m_fontSize = 14;
    int m_hotFontSize = 14;
    std::u16string m_fontFace;
    int m_hotFontWeight = 400;
    int m_style = 0;
    int m_maxItemsPerRow = 5;
    platform::Color m_frame = 0;
    platform::Color m_hotFrame = 0;
    platform::Color m_background = 0;
    platform::Color m_hotBackground = 0;
    platform::Color m_text = 0;
    platform::Color m_hotText = 0;

    platform::Pen m_framePen;
    platform::Pen m_hotFramePen;
    platform::Brush m_backgroundBrush;
    platform::Brush m_hotBackgroundBrush;
    platform::Font m_font;
    platform::Font m_hotFont;
    std::unique_ptr<platform::Bitmap> m_checkMark;
};

} // namespace velvane
