#pragma once
// The base of overlays that show one piece of text: position, font and colour
// come from section "Settings" of the overlay's INI file; the subclass says
// what the text is (FormatText) and when it changed (RequestRedraw).
#include "display/Component.h"
#include "ini/IniParser.h"

#include "platform/canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace velvane {

class TextOverlay : public Component, public IniParser {
public:
    static constexpr int DefaultBufferSize = 32;
    // A bigger "BufferSize" is refused rather than risk an allocation that
    // cannot succeed.
    static constexpr int MaxBufferSize = 4096;
    static constexpr int DefaultX = 10;
    static constexpr int DefaultY = 10;

    TextOverlay(Screen& owner, int width, int height);

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    // Writes the text to show into buffer (capacity characters) and returns
    // its length.
    virtual int FormatText(char16_t* buffer, int capacity) = 0;

    // Defaults, then the file, then the font. The result is the parser's.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    int X() const { return m_x; }
    int Y() const { return m_y; }
    int FontSize() const { return m_size; }
    int FontWeight() const { return m_weight; }
    platform::Color TextColor() const { return m_color; }
    bool RightAnchored() const { return m_rightAnchored; }
    bool BottomAnchored() const { return m_bottomAnchored; }
    int BufferSize() const { return static_cast<int>(m_buffer.size()); }
    // Absent until the first Load.
    const std::optional<platform::Font>& GetFont() const { return m_font; }

protected:
    // Whether (x, y) lies on a text of this many characters, estimated as
    // characters * Size * 2 / 3 pixels wide and Size pixels high.
    bool HitTest(int x, int y, int characters) const;
    int SettingsSectionId() { return IniParser::FirstSectionId(); }

private:
    void RestoreDefaults();

    std::vector<char16_t> m_buffer;
    std::optional<platform::Font> m_font;
    int m_x = DefaultX;
    int m_y = DefaultY;
    int m_size = 0;
    int m_weight = 0;
    std::u16string m_faceName;
    platform::Color m_color = 0;
    bool m_rightAnchored = false;
    bool m_bottomAnchored = false;
};

} // namespace velvane
