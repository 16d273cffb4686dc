#include "app/MainSettings.h"
#include "ini/IniPath.h"
#include "ini/IniText.h"
#include "ini/IniWriter.h"
#include "platform/file.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace velvane {

namespace {

constexpr const char16_t* FileName = u"Velvane.ini";
constexpr const char16_t* SectionName = u"Settings";

std::u16string Decimal(int v) {
    const std::string digits = std::to_string(v);
    return std::u16string(digits.begin(), digits.end());
}

// Stored paths are relative to the program folder, so the program and its
// settings can move together.
bool WritePath(platform::File& file, std::u16string_view key, const std::u16string& path) {
    if (path.empty())
        return true;
    return WriteAttribute(file, key, PathRelativeToProgram(path));
}

const char16_t* SpeedProtocolName(int protocol) {
    if (protocol == MainSettings::SpeedFromRmc)
        return u"RMC";
    return protocol == MainSettings::SpeedFromAuto ? u"Auto" : u"VTG";
}

// 0, 90, 180 or 270; anything else is said and leaves the picture upright.
int ReadRotation(std::u16string_view value) {
    for (int rotation : {0, 90, 180, 270})
        if (value == platform::FromUtf8(std::to_string(rotation)))
            return rotation;
    std::fprintf(stderr, "Velvane.ini: \"Rotation = %s\" is not 0, 90, 180 or 270; not turned\n",
                 platform::ToUtf8(value).c_str());
    return 0;
}

} // namespace

int MainSettings::OnSection(std::u16string_view name) {
    if (KeywordMatch(SectionName, name) == 0)
        return IniParser::FirstSectionId();
    return 0;
}

int MainSettings::FirstSectionId() {
    return IniParser::FirstSectionId() + 1;
}

bool MainSettings::OnAttribute(int sectionId, std::u16string_view key, std::u16string_view value) {
    if (sectionId != IniParser::FirstSectionId())
        return false;
    if (KeywordMatch(u"GPSIni", key) == 0)
        m_gpsIni = ProgramPath(value);
    else if (KeywordMatch(u"Configuration", key) == 0)
        m_configuration = ProgramPath(value);
    else if (KeywordMatch(u"MenuIni", key) == 0)
        m_menuIni = ProgramPath(value);
    else if (KeywordMatch(u"SaveOnExit", key) == 0)
        m_saveOnExit = IniBool(value);
    else if (KeywordMatch(u"SpeedProtocol", key) == 0)
        m_speedProtocol = KeywordMatch(u"RMC", value) == 0                  ? SpeedFromRmc
                          : platform::EqualsIgnoreAsciiCase(value, u"Auto") ? SpeedFromAuto
                                                                            : SpeedFromVtg;
    else if (KeywordMatch(u"Mirror", key) == 0)
        m_mirror = IniBool(value);
    else if (KeywordMatch(u"Rotation", key) == 0)
        m_rotation = ReadRotation(value);
    else if (KeywordMatch(u"NightMenuIni", key) == 0)
        m_nightMenuIni = ProgramPath(value);
    else if (KeywordMatch(u"DayNight", key) == 0)
        m_dayNight = (!value.empty() && KeywordMatch(u"auto", value) == 0) || IniBool(value);
    else if (KeywordMatch(u"Units", key) == 0)
        return ParseUnitSystem(value, m_unitSystem);
    else if (KeywordMatch(u"StaleAfter", key) == 0)
        m_staleAfter = std::clamp(IniInteger(value), 0, MaxStaleAfter);
    else
        return false;
    return true;
}

bool MainSettings::Save(std::u16string_view path) const {
    auto file = platform::AtomicFile::Create(path);
    if (!file)
        return false;
    platform::File& out = file->Stream();
    const bool written =
        WriteByteOrderMark(out) && WriteSection(out, SectionName) &&
        WritePath(out, u"GPSIni", m_gpsIni) && WritePath(out, u"Configuration", m_configuration) &&
        WritePath(out, u"MenuIni", m_menuIni) &&
        WriteAttribute(out, u"SaveOnExit", m_saveOnExit ? u"y" : u"n") &&
        WriteAttribute(out, u"SpeedProtocol", SpeedProtocolName(m_speedProtocol)) &&
        WritePath(out, u"NightMenuIni", m_nightMenuIni) &&
        (!m_dayNight || WriteAttribute(out, u"DayNight", u"auto")) &&
        // Written only when chosen, so that a file without it stays as it was.
        (m_unitSystem == UnitSystem::Metric ||
         WriteAttribute(out, u"Units", UnitSystemName(m_unitSystem))) &&
        // Written only when set, so that files without it stay as they were.
        (m_staleAfter == 0 || WriteAttribute(out, u"StaleAfter", Decimal(m_staleAfter))) &&
        // Only when set, so files that never had them stay as they were.
        (!m_mirror || WriteAttribute(out, u"Mirror", u"y")) &&
        (m_rotation == 0 ||
         WriteAttribute(out, u"Rotation", platform::FromUtf8(std::to_string(m_rotation))));
    return written && file->Commit();
}

bool LoadMainSettings(MainSettings& settings) {
    const std::u16string path = ProgramPath(FileName);
    if (path.empty())
        return false;
    return settings.Load(path);
}

bool SaveMainSettings(const MainSettings& settings) {
    const std::u16string path = ProgramPath(FileName);
    if (path.empty())
        return false;
    return settings.Save(path);
}

bool IsMainSettingsPath(std::u16string_view path) {
    const std::u16string settings = ProgramPath(FileName);
    auto a = platform::HostPathOf(path);
    auto b = platform::HostPathOf(settings);
    if (settings.empty() || !a || !b)
        return false;
    // The device finds names whatever their case, so "VELVANE.INI" is the
    // same file even before it exists.
    const std::string x = a->lexically_normal().string(), y = b->lexically_normal().string();
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
        return platform::AsciiLower(static_cast<unsigned char>(l)) ==
               platform::AsciiLower(static_cast<unsigned char>(r));
    });
}

} // namespace velvane
