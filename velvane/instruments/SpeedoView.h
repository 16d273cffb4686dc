#pragma once
// The analog and digital speedometer. Everything that does not move with the
// speed (background, ticks, numbers, unit) is rendered once into a surface of
// the view's size; a frame copies it and draws the number and the needle.
#include "display/Component.h"
#include "display/ComponentClass.h"
#include "gps/SpeedListener.h"
#include "ini/IniParser.h"

#include "platform/canvas.h"

#include <cstdint>
#include <memory>
#include <string>

namespace velvane {

class SpeedoView : public Component, public IniParser, public SpeedListener {
public:
    // Section "Speedo", a view; it listens to speeds while it is shown.
    static const ComponentClassOf<SpeedoView> Class;

    // Speeds (km/h) past this get no ticks: a mistyped MaxSpeed must not
    // keep the device drawing ticks for minutes.
    static constexpr uint32_t MaxTickSpeed = 100000;
    // Positions, lengths and widths are kept within this many pixels either
    // way: far beyond any screen, and small enough that the dial's integer
    // arithmetic cannot overflow.
    static constexpr int MaxExtent = 65536;

    // Section "AnalogMetrics" and "AnalogColors".
    struct Analog {
        int x = 0, y = 0;
        int angle = 200, angleStart = 190, angleBreak = -1;
        int radius = 0, dRadiusThick = 10, dRadiusThin = 5, dRadiusDigit = 2;
        int stepThick = 20, stepThin = 5, stepDigit = 20;
        int widthThin = 1, widthThick = 3, needleWidth = 3;
        int maxSpeed = 200, breakSpeed = -1;
        int specialSpeed1 = 30, specialSpeed2 = 50;
        int digitSize = 26, needleStyle = 0;
        int xUnit = 2, yUnit = 1;
        bool showUnit = true;
        int twoColored = 0;
        bool drawSpeedo = false, withinDigits = false;
        int fontWeight = 700;
        std::u16string font;

        platform::Color background = platform::Rgb(0xFF, 0xFF, 0xFF);
        platform::Color needle = platform::Rgb(0xFF, 0x00, 0x00);
        platform::Color thick = platform::Rgb(0x00, 0x00, 0x00);
        platform::Color thin = platform::Rgb(0x00, 0x00, 0x00);
        platform::Color special = platform::Rgb(0xFF, 0x00, 0x00);
        platform::Color second = platform::Rgb(0xFF, 0x80, 0x40);
        platform::Color digit = platform::Rgb(0x00, 0x00, 0x00);
    };

    // Section "DigitalMetrics" and "DigitalColors".
    struct Digital {
        int x = 0, y = 0;
        int digitSize = 60;
        bool transparent = false, center = true;
        int fontWeight = 0;
        std::u16string font;

        platform::Color color = platform::Rgb(0x00, 0xFF, 0x00);
        platform::Color backgroundColor = platform::Rgb(0x00, 0x00, 0x00);
    };

    // Section "Alarm": off while Limit (km/h) is 0.
    struct Alarm {
        int limit = 0;
        int hysteresis = 3;
        int toneHz = 880;
        int toneMs = 200;
        int blinkMs = 500;
        platform::Color color = platform::Rgb(0xFF, 0x00, 0x00);
    };

    SpeedoView(Screen& owner, int width, int height);
    ~SpeedoView() override;

    void Draw(platform::Canvas& canvas, int originX, int originY) override;
    // Rebuilds the background at the new size; settings that defaulted from
    // the old size keep their values.
    void Resize(int width, int height) override;

    // Defaults for the current size, then the file (none: only the
    // defaults), then pen, font and background anew. True when the file
    // parsed or no path was given.
    bool Load(std::u16string_view path) override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

    // Tenths of km/h; kept, drawn and compared with the scale in the shown
    // unit, so a skin's speeds count in whatever the dashboard shows.
    void OnSpeed(int32_t speed) override;
    // No speed for a while: "--.-" and the needle at rest until the next one.
    void OnStale() override;

    const Analog& AnalogSettings() const { return m_analog; }
    const Digital& DigitalSettings() const { return m_digital; }
    const Alarm& AlarmSettings() const { return m_alarm; }
    // Above the limit and not yet back below limit less hysteresis.
    bool IsAlarmOn() const { return m_alarmOn; }
    bool IsStale() const { return m_stale; }
    // Whether the digits show in this blink phase, and in which colour.
    bool DigitsVisible() const { return !m_blinking || m_blinkVisible; }
    platform::Color DigitColor() const;
    platform::Color NeedleColor() const;
    // The resolved BackgroundImage of the last Load; empty when none.
    const std::u16string& ImagePath() const { return m_imagePath; }
    uint32_t Speed() const { return m_speed; }
    bool IsLinear() const { return m_linear; }

    // Degrees from AngleStart for a tick at v km/h and for the needle at s
    // tenths of km/h.
    uint32_t ScaleOffset(uint32_t v) const;
    uint32_t NeedleOffset(uint32_t s) const;
    // The point r pixels from the dial centre in the direction of
    // AngleStart - offset.
    platform::Point PointAt(uint32_t offset, int r) const;
    // Where the needle of the current speed ends.
    platform::Point NeedleTip() const {
        return PointAt(NeedleOffset(m_stale ? 0 : m_speed), NeedleLength());
    }
    int NeedleLength() const { return m_analog.radius - m_analog.dRadiusThin; }
    // The built background; null only when the view has no area.
    const platform::Canvas* Surface() const { return m_surface.get(); }

    // The digital number as shown, blanks included: " 007.5 " or "007.5".
    std::u16string DigitalText() const;

private:
    enum Section {
        AnalogMetrics,
        AnalogColors,
        DigitalMetrics,
        DigitalColors,
        AlarmSection,
        SectionCount
    };

    void SetDefaults();
    void CreateObjects();
    void Build();
    void DrawScale(platform::Canvas& canvas);
    void DrawTicks(platform::Canvas& canvas, const platform::Pen& thin, const platform::Pen& thick,
                   const platform::Pen& special);
    void DrawNeedle(platform::Canvas& canvas, int originX, int originY);
    bool AnalogMetric(std::u16string_view key, std::u16string_view value);
    bool DigitalMetric(std::u16string_view key, std::u16string_view value);
    bool AlarmKey(std::u16string_view key, std::u16string_view value);
    // Arms, sounds and disarms the alarm for a new speed.
    void UpdateAlarm();
    void SetBlinking(bool on);

    Analog m_analog;
    Digital m_digital;
    bool m_linear = true;
    uint32_t m_speed = 0;
    Alarm m_alarm;
    bool m_alarmOn = false;
    bool m_stale = false;
    bool m_blinking = false;
    bool m_blinkVisible = true;
    int m_blinkTimerId;
    platform::Pen m_needlePen;
    platform::Font m_digitalFont;
    // Kept after Load so that a resize builds the same background again.
    std::u16string m_imagePath;
    // Only known while Load runs.
    std::u16string m_iniPath;
    std::unique_ptr<platform::Canvas> m_surface;
};

} // namespace velvane
