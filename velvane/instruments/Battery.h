#pragma once
// A drawn battery: its outline, one segment per share of charge coloured by
// the level, and a lightning bolt while mains power is on. The power status
// is read again at most every few seconds, on a received sentence or a draw.
#include "display/Component.h"
#include "display/ComponentClass.h"
#include "gps/SentenceListener.h"
#include "ini/IniParser.h"

#include "platform/geometry.h"
#include "platform/power_status.h"

#include <cstdint>
#include <string_view>

namespace velvane {

class Battery : public Component, public IniParser, public SentenceListener {
public:
    // Section "Battery", an overlay; sentences only pace its readings.
    static const ComponentClassOf<Battery> Class;

    static constexpr uint32_t RefreshInterval = 5000; // ms
    static constexpr int MaxExtent = 4096;
    static constexpr int MaxSegments = 100;

    struct Settings {
        int x = 10, y = 10;
        bool rightAnchored = false, bottomAnchored = false;
        int width = 40, height = 20;
        int segments = 4; // "AnzSegments"
        platform::Color battery = platform::Rgb(0x00, 0x00, 0x00);
        platform::Color lightning = platform::Rgb(0xFF, 0xC0, 0x00);
        platform::Color highPower = platform::Rgb(0x00, 0xC0, 0x00);
        platform::Color lowPower = platform::Rgb(0xFF, 0x80, 0x00);
        platform::Color criticalPower = platform::Rgb(0xFF, 0x00, 0x00);
    };

    Battery(Screen& owner, int width, int height);

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    void OnRMC(std::string_view line) override;
    void OnGGA(std::string_view line) override;

    // Defaults, the file, then a fresh reading. When the power status
    // cannot be read at all, says so once per overlay.
    bool Load(std::u16string_view path);
    int OnSection(std::u16string_view name) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int FirstSectionId() override;

    const Settings& GetSettings() const { return m_settings; }
    bool HasStatus() const { return m_hasStatus; }
    const platform::SystemPowerStatus& Status() const { return m_status; }
    // The battery's outline (without its terminal) in the overlay's own
    // coordinates.
    platform::Rect Body() const;
    int SegmentsLit() const;
    platform::Color SegmentColor() const;
    bool ShowsLightning() const;

private:
    int MetricsSectionId() { return IniParser::FirstSectionId(); }
    int ColorsSectionId() { return IniParser::FirstSectionId() + 1; }
    // Reads the status now; true when what is shown changed.
    bool Read();
    void RefreshIfDue();

    Settings m_settings;
    platform::SystemPowerStatus m_status;
    bool m_hasStatus = false;
    bool m_read = false;
    bool m_reported = false;
    uint32_t m_lastRead = 0;
};

} // namespace velvane
