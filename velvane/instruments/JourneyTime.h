#pragma once
// The time spent moving, kept across program runs in a counter file beside
// the INI file ("Fahrt.ini" keeps it in "Fahrt_journeytime.sav").
#include "display/ComponentClass.h"
#include "display/TextOverlay.h"
#include "gps/SpeedListener.h"

#include <cstdint>
#include <string>

namespace velvane {

class JourneyTime : public TextOverlay, public SpeedListener {
public:
    // Section "JourneyTime", an overlay listening to speeds.
    static const ComponentClassOf<JourneyTime> Class;

    static constexpr char16_t Suffix[] = u"_journeytime.sav";
    static constexpr int32_t DefaultMinSpeed = 30;       // tenths of km/h
    static constexpr uint32_t DefaultInterval = 300000;  // ms
    static constexpr int32_t MaxIntervalMinutes = 71582; // fits 2^32 ms

    JourneyTime(Screen& owner, int width, int height);
    // Saves what was driven up to now.
    ~JourneyTime() override;

    // Saves the counter under the old settings, then reads the new file and
    // its counter.
    bool Load(std::u16string_view path) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;
    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;

    int FormatText(char16_t* buffer, int capacity) override;
    bool OnTap(int x, int y) override;
    void OnSpeed(int32_t speed) override;

    uint32_t Total() const { return m_total; }
    bool Moving() const { return m_moving; }
    bool SaveFlag() const { return m_save; }
    int32_t MinSpeed() const { return m_minSpeed; }
    uint32_t SavingInterval() const { return m_interval; }
    // The counter as shown: the total plus the running stretch.
    uint32_t Shown() const;

private:
    int SectionId() { return TextOverlay::FirstSectionId(); }
    void Accumulate();
    void Save();

    uint32_t m_total = 0;
    bool m_moving = false;
    uint32_t m_last = 0;
    bool m_save = false;
    int32_t m_minSpeed = DefaultMinSpeed;
    uint32_t m_interval = DefaultInterval;
    std::u16string m_path;
};

} // namespace velvane
