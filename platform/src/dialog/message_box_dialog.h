#pragma once
#include "platform/messagebox.h"
#include <string_view>

namespace platform {

class Window;

// A message box as a modal dialog of ours: Return takes the first button,
// Escape Cancel or No where offered, else OK.
int ShowMessageBoxDialog(Window* owner, std::u16string_view text, std::u16string_view caption,
                         MessageBoxButtons buttons, MessageBoxIcon icon);

} // namespace platform
