#pragma once
// Reception bars: a staircase of bars in a frame, fewer of them lit the
// higher the HDOP of the last GGA sentence.
#include "display/Component.h"
#include "display/ComponentClass.h"
#include "gps/SentenceListener.h"
#include "ini/IniParser.h"

#include "platform/geometry.h"

#include <cstdint>
#include <string_view>

namespace velvane {

class Hdop : public Component, public IniParser, public SentenceListener {
public:
    // Section "HDOP", an overlay; it reads GGA sentences.
    static const ComponentClassOf<Hdop> Class;

    static constexpr int NoHdop = -1;
    // Larger sizes and bar counts are refused: no screen has room for them,
    // and drawing them would stall the device.
    static constexpr int MaxExtent = 65536;
    static constexpr uint32_t MaxBarCount = 1024;

    struct Settings {
        uint32_t maxBars = 8;
        uint32_t badHdop = 8;
        int x = 0, y = 0;
        bool rightAnchored = false, bottomAnchored = false;
        int width = 18, height = 18;
        platform::Color border = platform::Rgb(0x00, 0x00, 0x00);
        platform::Color bar = platform::Rgb(0xFF, 0x80, 0x00);
    };

    Hdop(Screen& owner, int width, int height);

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    void OnGGA(std::string_view line) override;
    void OnStale() override;

    // Defaults, then the file; the HDOP is forgotten too.
    bool Load(std::u16string_view path);
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    int CurrentHdop() const { return m_hdop; }
    uint32_t BarsLit() const { return m_barsLit; }
    const Settings& GetSettings() const { return m_settings; }
    // The frame in the overlay's own coordinates; anchored edges count from
    // the right or bottom of the screen.
    platform::Rect Frame() const;
    // Bars lit for an HDOP under these settings; none when either setting is 0.
    static uint32_t BarsFor(int hdop, uint32_t badHdop, uint32_t maxBars);

private:
    int MetricsSectionId() { return IniParser::FirstSectionId(); }
    int ColorsSectionId() { return IniParser::FirstSectionId() + 1; }

    Settings m_settings;
    int m_hdop = NoHdop;
    uint32_t m_barsLit = 0;
};

} // namespace velvane
