#pragma once
// The "Speedo" view: the speedometer, listening to the model's speed source
// while it is shown.
#include "display/ComponentEntry.h"
#include "instruments/SpeedoView.h"

namespace velvane {

class SpeedoViewEntry : public ComponentEntryOf<SpeedoView> {
public:
    // The configuration section that stands for this view.
    static constexpr char16_t SectionName[] = u"Speedo";
    static const Class SpeedoClass;

    SpeedoViewEntry(Screen& screen, TachoModel* model)
        : ComponentEntryOf(screen, model, SpeedoClass) {}
};

} // namespace velvane
