#include "instruments/EmptyViewEntry.h"

namespace velvane {

// The background needs no GPS data, so nothing is registered.
const EmptyViewEntry::Class EmptyViewEntry::EmptyClass{u"Leer", EntryKind::View};

} // namespace velvane
