#pragma once
// The fixed files through which lokaro and the navigation application meet.
#include <string_view>

namespace lokaro {

// Read by the navigation application when it starts.
constexpr std::u16string_view DestinationFile = u"\\My Documents\\target.3na";
constexpr std::u16string_view DefaultRouteFile = u"\\My Documents\\route.asc";
// Only its first record is used, to prefill the entry dialog.
constexpr std::u16string_view FavouritesFile = u"\\My Documents\\ObsFav.ASC";
// Present while a route is active.
constexpr std::u16string_view RouteStateFile = u"\\My Documents\\route.cfg";

} // namespace lokaro
