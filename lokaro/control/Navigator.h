#pragma once
// Starting the navigation application and other programs of the device.
#include <string_view>

namespace lokaro {

// Where the navigation application is unless the script names another program.
constexpr std::u16string_view DefaultNavigatorPath = u"\\My Flash Disk\\Navigation\\mnavdce.exe";

// Starts the program without arguments and without waiting; false when it
// could not be started (an empty path starts nothing).
bool startNavigator(std::u16string_view navigatorPath);

} // namespace lokaro
