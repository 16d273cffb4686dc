#pragma once
// The distance driven, in centimetres, kept across program runs in a counter
// file beside the INI file ("Fahrt.ini" keeps it in "Fahrt_milage.sav").
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/PositionListener.h"
#include "gps/SpeedListener.h"
#include "instruments/GeoPosition.h"

#include <cstdint>
#include <string>

namespace velvane {

class Odometer : public TextOverlay, public SpeedListener, public PositionListener {
public:
    // Section "Odometer", an overlay listening to positions and speeds.
    static const ComponentClassOf<Odometer> Class;

    static constexpr char16_t Suffix[] = u"_milage.sav";
    static constexpr int32_t DefaultMinSpeed = 30;      // tenths of km/h
    static constexpr uint32_t DefaultInterval = 300000; // ms
    static constexpr int32_t MaxIntervalMinutes = 71582;
    // A step between two fixes faster than this (1,000 km/h) is a jump of
    // the position (a first fix far off, a replay starting over), not travel.
    static constexpr uint64_t MaxCentimetresPerSecond = 27778;

    Odometer(Screen& owner, int width, int height);
    ~Odometer() override;

    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;

    int FormatText(char16_t* buffer, int capacity) override;
    bool OnTap(int x, int y) override;
    void OnSpeed(int32_t speed) override;
    void OnPosition(const GeoPosition& position) override;

    // Centimetres; it stops at UINT32_MAX (about 42,949 km) instead of
    // starting again from 0.
    uint32_t Total() const { return m_total; }
    bool SaveFlag() const { return m_save; }
    int32_t MinSpeed() const { return m_minSpeed; }
    uint32_t SavingInterval() const { return m_interval; }
    // Steps left out as jumps since the last Load.
    uint32_t Jumps() const { return m_jumps; }
    void SetTotal(uint32_t total) { m_total = total; }

private:
    int SectionId() { return TextOverlay::FirstSectionId(); }
    void Save();

    uint32_t m_total = 0;
    GeoPosition m_last;
    uint32_t m_lastTick = 0;
    int32_t m_speed = -1;
    int32_t m_minSpeed = DefaultMinSpeed;
    bool m_save = false;
    uint32_t m_interval = DefaultInterval;
    uint32_t m_lastSave = 0;
    bool m_unsaved = false;
    uint32_t m_jumps = 0;
    std::u16string m_path;
};

} // namespace velvane
