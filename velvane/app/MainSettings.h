#pragma once
// The main settings, "Velvane.ini" beside the program: which GPS settings,
// configuration and menu style files to use, whether to save on exit, and
// which sentence supplies the speed.
#include "display/Units.h"
#include "gps/SpeedSource.h"
#include "ini/IniParser.h"

#include <string>
#include <string_view>

namespace velvane {

class MainSettings : public IniParser {
public:
    static constexpr int SpeedFromVtg = 0;
    static constexpr int SpeedFromRmc = 1;
    static constexpr int PositionFromGga = 2;
    // Whichever of RMC and VTG gives a speed, one at a time.
    static constexpr int SpeedFromAuto = SpeedSource::AutoProtocol;

    // Paths are empty when absent; setting an empty one makes it absent.
    const std::u16string& Configuration() const { return m_configuration; }
    const std::u16string& GpsIni() const { return m_gpsIni; }
    const std::u16string& MenuIni() const { return m_menuIni; }
    void SetConfiguration(std::u16string_view path) { m_configuration = path; }
    void SetGpsIni(std::u16string_view path) { m_gpsIni = path; }
    void SetMenuIni(std::u16string_view path) { m_menuIni = path; }

    // Changing it writes nothing; the file follows at the next save.
    bool SaveOnExit() const { return m_saveOnExit; }
    void SetSaveOnExit(bool on) { m_saveOnExit = on; }

    int SpeedProtocol() const { return m_speedProtocol; }
    void SetSpeedProtocol(int protocol) { m_speedProtocol = protocol; }
    int PositionProtocol() const { return m_positionProtocol; }

    // Night skins: "DayNight = auto" switches views and menu to them at dusk
    // and back at dawn; the menu's night style. Both are written only when
    // set, so files without them save back as they were.
    bool DayNight() const { return m_dayNight; }
    void SetDayNight(bool on) { m_dayNight = on; }
    const std::u16string& NightMenuIni() const { return m_nightMenuIni; }
    void SetNightMenuIni(std::u16string_view path) { m_nightMenuIni = path; }

    // What speeds, distances and altitudes are shown in; metric when absent.
    velvane::UnitSystem UnitSystem() const { return m_unitSystem; }
    void SetUnitSystem(velvane::UnitSystem system) { m_unitSystem = system; }
    // Seconds without a speed after which the data counts as stale; 0 never.
    static constexpr int MaxStaleAfter = 3600;
    int StaleAfter() const { return m_staleAfter; }

    // How the picture is shown: mirrored for a head-up display, turned
    // clockwise (0, 90, 180 or 270) for a screen mounted on its side.
    bool Mirror() const { return m_mirror; }
    int Rotation() const { return m_rotation; }

    // The whole file, written so that a failure leaves the old one in place.
    // False when any part of it could not be written.
    bool Save(std::u16string_view path) const;

    bool OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) override;
    int OnSection(std::u16string_view name) override;
    int FirstSectionId() override;

private:
    std::u16string m_configuration;
    std::u16string m_gpsIni;
    std::u16string m_menuIni;
    bool m_saveOnExit = true;
    int m_speedProtocol = SpeedFromVtg;
    int m_positionProtocol = PositionFromGga;
    bool m_dayNight = false;
    std::u16string m_nightMenuIni;
    velvane::UnitSystem m_unitSystem = velvane::UnitSystem::Metric;
    int m_staleAfter = 0;
    bool m_mirror = false;
    int m_rotation = 0;
};

// "Velvane.ini" in the program's folder; a missing file is reported by the
// parser and leaves the defaults. False when it could not be read.
bool LoadMainSettings(MainSettings& settings);
bool SaveMainSettings(const MainSettings& settings);
// Whether path names "Velvane.ini" beside the program, however it is spelled.
bool IsMainSettingsPath(std::u16string_view path);

} // namespace velvane
