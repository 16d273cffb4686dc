#pragma once
// The acceleration along the road in m/s², from the change of speed over at
// least "Interval" milliseconds (1000 by default: one fix of most receivers),
// and with "MaxMin" also the largest and smallest value since loading. More
// than 1 g either way is no vehicle's doing but a receiver's (a speed of 0
// while the fix is lost, a glitch): such a value is not shown and the
// comparison starts over from the new speed.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SpeedListener.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velvane {

class AccelerationOverlay : public TextOverlay, public SpeedListener {
public:
    // Section "AccelerationOverlay", an overlay listening to speeds.
    static const ComponentClassOf<AccelerationOverlay> Class;

    static constexpr int32_t DefaultInterval = 1000; // ms
    static constexpr int32_t MinInterval = 100;
    static constexpr int32_t MaxInterval = 60000;
    // A speed this many intervals after the one before is no base for a
    // difference: the receiver was silent in between.
    static constexpr uint32_t StaleIntervals = 5;
    // 1 g in hundredths of m/s².
    static constexpr int32_t MaxPlausible = 981;

    AccelerationOverlay(Screen& owner, int width, int height);

    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;

    int FormatText(char16_t* buffer, int capacity) override;
    void OnSpeed(int32_t speed) override;
    // The extremes stay; the current value and its base are gone.
    void OnStale() override;

    // Hundredths of m/s²; nullopt before two speeds an interval apart.
    std::optional<int32_t> Acceleration() const { return m_current; }
    std::optional<int32_t> Maximum() const { return m_maximum; }
    std::optional<int32_t> Minimum() const { return m_minimum; }
    bool ShowsMaxMin() const { return m_maxMin; }

    // "1.25" or "-0.50" for hundredths, "-.--" for none.
    static std::u16string Number(std::optional<int32_t> hundredths);

private:
    int SectionId() { return TextOverlay::FirstSectionId(); }

    bool m_maxMin = false;
    uint32_t m_interval = DefaultInterval;
    std::optional<int32_t> m_baseSpeed;
    uint32_t m_baseTick = 0;
    std::optional<int32_t> m_current, m_maximum, m_minimum;
};

} // namespace velvane
