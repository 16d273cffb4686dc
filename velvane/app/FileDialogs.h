#pragma once
// The open and save dialogs for INI files. Each shows the window mover for
// its title while it is open, so the user can push the dialog out from under
// the input panel on the small screen.
#include "platform/dialog.h"

#include <optional>
#include <string>
#include <string_view>

namespace velvane {

// Where the open dialogs start: the program's folder until a file has been
// chosen, then the folder of the last choice. One per program.
class OpenFileState {
public:
    std::u16string Directory() const;
    platform::FileDialogOptions Options(platform::Window* owner, std::u16string_view title) const;
    void Remember(std::u16string_view path) { m_lastChoice = path; }

private:
    std::u16string m_lastChoice;
};

OpenFileState& SharedOpenFileState();

// An existing "*.ini" file, or nothing when the user cancels.
std::optional<std::u16string> OpenIniFile(platform::Window* owner, std::u16string_view title,
                                          OpenFileState& state = SharedOpenFileState());

// Save dialogs always start in the program's folder.
platform::FileDialogOptions SaveDialogOptions(platform::Window* owner, std::u16string_view title);
std::optional<std::u16string> SaveIniFile(platform::Window* owner, std::u16string_view title);

} // namespace velvane
