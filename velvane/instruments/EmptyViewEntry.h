#pragma once
// The "Empty" view: only a background, for overlays to sit on.
#include "display/ComponentEntry.h"
#include "instruments/BackgroundView.h"

namespace velvane {

class EmptyViewEntry : public ComponentEntryOf<BackgroundView> {
public:
    static const Class EmptyClass;
    EmptyViewEntry(Screen& screen, TachoModel* model)
        : ComponentEntryOf(screen, model, EmptyClass) {}
};

} // namespace velvane
