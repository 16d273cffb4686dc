#include "instruments/SpeedoViewEntry.h"

#include "app/TachoModel.h"

namespace velvane {

namespace {

void Attach(TachoModel& model, SpeedoView& view) {
    model.AddSpeedListener(&view);
}

// Before the view is deleted, so that no speed reaches a dead listener.
void Detach(TachoModel& model, SpeedoView& view) {
    model.RemoveSpeedListener(&view);
}

} // namespace

const SpeedoViewEntry::Class SpeedoViewEntry::SpeedoClass{u"Tacho", EntryKind::View, Attach,
                                                          Detach};

} // namespace velvane
