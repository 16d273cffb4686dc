#pragma once
// "DayNight = auto": puts the views that name a night skin, and the menu
// when a night style is set, into their night look at dusk (the sun 6°
// below the horizon at the receiver's position, by the device clock) and
// back at dawn. It acts only when the phase changes, so a skin the user
// chooses in between holds until the next dusk or dawn.
#include "gps/PositionListener.h"

#include <string>
#include <vector>

namespace velvane {

class MenuTree;

class DayNightSwitch : public PositionListener {
public:
    enum class Phase { Unknown, Day, Night };

    // The tree must outlive the switch.
    explicit DayNightSwitch(MenuTree& tree);
    ~DayNightSwitch() override;
    DayNightSwitch(const DayNightSwitch&) = delete;
    DayNightSwitch& operator=(const DayNightSwitch&) = delete;

    // After every build of the tree: a loaded configuration drops the
    // position source, and its views come up in their day skins.
    void Attach();
    void OnPosition(const GeoPosition& position) override;
    Phase CurrentPhase() const { return m_phase; }

private:
    void Apply(Phase phase);
    // What the user may have chosen before the first fix.
    struct Choices {
        std::vector<int> skins;
        std::u16string menu;
        bool operator==(const Choices&) const = default;
    };
    Choices Current() const;

    MenuTree& m_tree;
    Phase m_phase = Phase::Unknown;
    Choices m_atAttach;
};

} // namespace velvane
