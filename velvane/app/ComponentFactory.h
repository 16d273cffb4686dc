#pragma once
// The component classes a configuration section can name, in the order the
// section names are matched.
#include "display/ComponentClass.h"

#include <span>
#include <string_view>

namespace velvane {

// All classes in match order.
std::span<const ComponentClass* const> ComponentClasses();
// The first class whose section name begins with name (so "Spe" is a
// Speedo); null when none does.
const ComponentClass* FindComponentClass(std::u16string_view name);

} // namespace velvane
