#pragma once
#include "platform/dialog.h"

#include <optional>
#include <string>

namespace platform {

// The open and save dialogs as a modal dialog of ours: folders and matching
// files, a name field, OK and Cancel. For backends with a screen.
std::optional<std::u16string> ShowFileDialogWindow(const FileDialogOptions& options);

} // namespace platform
