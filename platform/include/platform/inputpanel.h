#pragma once
// The soft input panel (on-screen keyboard). Here it exists only when the host
// names a command for it (CE_KEYBOARD_COMMAND); that command is run with the
// argument "show" or "hide". Without one there is no panel and every call
// fails with NotSupported, so callers can grey out their keyboard button.
#include <cstdint>

namespace platform {

namespace InputPanelFlag {
constexpr uint32_t On = 0x1; // the panel is shown
} // namespace InputPanelFlag

struct InputPanelInfo {
    uint32_t flags = 0;
};

bool InputPanelAvailable();
// False (LastError NotSupported) when there is no panel.
bool GetInputPanelInfo(InputPanelInfo& info);
// Runs the keyboard command and records "inputpanel show|hide" in the
// transcript. False with LastError when there is no panel or the command
// fails; the shown state then stays as it was.
bool ShowInputPanel(bool show);

} // namespace platform
