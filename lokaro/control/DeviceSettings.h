#pragma once
// The device around the navigation application: task bar, input panel,
// other programs, reset and suspend.
#include "control/ScreenInput.h"

namespace lokaro {

// The task bar's class on the device.
constexpr std::u16string_view TaskBarClass = u"HHTaskBar";

// 0 hides the task bar, 1 shows it along the bottom edge (26 pixels high)
// and taps its corner, 2 toggles; -1 leaves it. False when there is none.
bool setTaskBar(int mode, const ScreenParameters& parameters);

// 1 shows, 0 hides the input panel; -1 leaves it.
bool setInputPanel(int value);

// 1 starts the file explorer.
bool startExplorer(int value);
// 1 presses Alt+Tab, the device's task switch.
void switchTask(int value);

// 1 resets the device, 2 suspends it; anything else does nothing.
bool powerDown(int value);

} // namespace lokaro
