#include "app/DayNightSwitch.h"

#include "app/MenuTree.h"
#include "app/TachoModel.h"
#include "gps/Sun.h"
#include "instruments/GeoPosition.h"

#include "platform/clock.h"

namespace velvane {

DayNightSwitch::DayNightSwitch(MenuTree& tree) : m_tree(tree) {}

DayNightSwitch::~DayNightSwitch() {
    m_tree.Model().RemovePositionListener(this);
}

void DayNightSwitch::Attach() {
    TachoModel& model = m_tree.Model();
    model.RemovePositionListener(this);
    model.AddPositionListener(this);
    if (m_phase != Phase::Unknown)
        Apply(m_phase);
    m_atAttach = Current();
}

DayNightSwitch::Choices DayNightSwitch::Current() const {
    Choices choices;
    for (const auto& view : m_tree.Model().Views())
        choices.skins.push_back(view.holder->CurrentIndex());
    choices.menu = m_tree.Model().Settings().MenuIni();
    return choices;
}

void DayNightSwitch::OnPosition(const GeoPosition& position) {
    if (!position.IsValid())
        return;
    const double latitude = double(position.Latitude()) / GeoPosition::UnitsPerDegree;
    const double longitude = double(position.Longitude()) / GeoPosition::UnitsPerDegree;
    const int64_t now = platform::ToUnixMilliseconds(platform::GetSystemTime());
    const Phase phase =
        SolarElevation(now, latitude, longitude) < CivilTwilight ? Phase::Night : Phase::Day;
    if (phase == m_phase)
        return;
    const bool first = m_phase == Phase::Unknown;
    m_phase = phase;
    // A choice made while the phase was not known yet holds too.
    if (first && Current() != m_atAttach)
        return;
    Apply(phase);
}

void DayNightSwitch::Apply(Phase phase) {
    const bool night = phase == Phase::Night;
    TachoModel& model = m_tree.Model();
    for (const auto& view : model.Views()) {
        SingleViewManager& holder = *view.holder;
        if (holder.NightIndex() < 0)
            continue;
        const int skin = night ? holder.NightIndex() : holder.DayIndex();
        if (skin == holder.CurrentIndex())
            continue;
        holder.SetCurrentIndex(skin);
        // The shown view loads it with its Skins submenu, check mark and all.
        if (holder.IsShown())
            m_tree.ShowViewItem(holder);
    }
    const MainSettings& settings = model.Settings();
    if (!settings.NightMenuIni().empty() && m_tree.Root())
        m_tree.Root()->ReloadStyle(night ? settings.NightMenuIni() : settings.MenuIni());
}

} // namespace velvane
