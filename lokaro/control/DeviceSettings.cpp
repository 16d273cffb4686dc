#include "control/DeviceSettings.h"

#include "platform/desktop.h"
#include "platform/inputpanel.h"
#include "platform/power.h"
#include "platform/process.h"

namespace lokaro {

bool setTaskBar(int mode, const ScreenParameters& parameters) {
    using namespace platform;
    if (mode == -1)
        return true;
    const WindowHandle bar = FindAnyWindow(TaskBarClass);
    if (!bar)
        return false;
    if (mode == 2)
        mode = IsWindowShown(bar) ? 0 : 1;
    const Rect screen = WorkArea();
    constexpr int BarHeight = 26;
    const Rect place{0, screen.Height() - BarHeight, screen.Width(), screen.Height()};
    if (!PlaceWindow(bar, InsertAfter::Top, place, mode == 0 ? Visibility::Hide : Visibility::Show))
        return false;
    if (mode != 0)
        tap(0, 0, screen.Height(), {}, parameters);
    return true;
}

bool setInputPanel(int value) {
    if (value == -1)
        return true;
    return platform::ShowInputPanel(value & 1);
}

bool startExplorer(int value) {
    return value != 1 || platform::StartProgram(u"\\windows\\explorer.exe");
}

void switchTask(int value) {
    if (value == 1)
        pressKeys(18, 9, 0);
}

bool powerDown(int value) {
    using namespace platform;
    if (value == 1)
        return SetSystemPowerState(PowerState::Reset, PowerState::Force);
    if (value == 2)
        return SetSystemPowerState(PowerState::Suspend, PowerState::Force);
    return true;
}

} // namespace lokaro
