#pragma once
// The grade of the road: the climb over the last stretch of road divided by
// its horizontal length, as "%d%%", "?%" while no stretch is long enough.
// Altitudes from the receiver wander by metres, so the stretch is a sliding
// window of distance ("Distance", 200 m by default), not the last step:
// samples of (distance driven, altitude) are taken every few metres of
// travel, and the grade compares the newest with the oldest one at least a
// window back. Standing still adds no samples, so the grade holds at a stop;
// a position jump starts the window again.
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/AltitudeListener.h"
#include "gps/PositionListener.h"
#include "instruments/GeoPosition.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace velvane {

class UphillGrade : public TextOverlay, public AltitudeListener, public PositionListener {
public:
    // Section "UphillGrade", an overlay listening to altitudes and positions.
    static const ComponentClassOf<UphillGrade> Class;

    static constexpr int32_t DefaultWindow = 200; // metres
    static constexpr int32_t MinWindow = 20;
    static constexpr int32_t MaxWindow = 10000;
    // Samples closer than this add nothing but noise.
    static constexpr uint64_t SampleSpacing = 500; // cm
    // As for the odometer: faster than 1,000 km/h is a jump.
    static constexpr uint64_t MaxCentimetresPerSecond = 27778;

    UphillGrade(Screen& owner, int width, int height);

    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;

    int FormatText(char16_t* buffer, int capacity) override;
    void OnAltitude(int32_t altitude) override;
    void OnPosition(const GeoPosition& position) override;
    // Heard from both sources; the grade starts again with fresh data.
    void OnStale() override;

    // Whole percent, rounded; nullopt while it cannot be computed.
    std::optional<int32_t> Grade() const { return m_grade; }
    int32_t Window() const { return m_window; }

private:
    struct Sample {
        uint64_t distance; // cm driven since the window started
        int32_t altitude;  // tenths of a metre
    };
    int SectionId() { return TextOverlay::FirstSectionId(); }
    void Restart();

    int32_t m_window = DefaultWindow;
    std::optional<int32_t> m_altitude;
    GeoPosition m_last;
    uint32_t m_lastTick = 0;
    uint64_t m_distance = 0;
    std::deque<Sample> m_samples;
    std::optional<int32_t> m_grade;
};

} // namespace velvane
