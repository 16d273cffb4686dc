#include "app/FileDialogs.h"
#include "app/WindowMover.h"
#include "ini/IniPath.h"
#include "platform/file.h"

namespace velvane {

namespace {

platform::FileDialogOptions IniOptions(platform::Window* owner, std::u16string_view title) {
    platform::FileDialogOptions o;
    o.title = title;
    o.filterName = u"Ini-Dateien";
    o.pattern = u"*.ini";
    o.defaultExtension = u"ini";
    o.maxLength = MaxPath;
    o.owner = owner;
    return o;
}

std::u16string FolderOf(std::u16string_view path) {
    const size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? std::u16string()
                                            : std::u16string(path.substr(0, cut + 1));
}

} // namespace

std::u16string OpenFileState::Directory() const {
    std::u16string folder = FolderOf(m_lastChoice);
    return folder.empty() ? platform::ProgramDirectory() : folder;
}

platform::FileDialogOptions OpenFileState::Options(platform::Window* owner,
                                                   std::u16string_view title) const {
    platform::FileDialogOptions o = IniOptions(owner, title);
    o.initialDirectory = Directory();
    o.fileMustExist = true;
    return o;
}

OpenFileState& SharedOpenFileState() {
    static OpenFileState state;
    return state;
}

std::optional<std::u16string> OpenIniFile(platform::Window* owner, std::u16string_view title,
                                          OpenFileState& state) {
    const platform::FileDialogOptions options = state.Options(owner, title);
    std::optional<std::u16string> path;
    {
        WindowMover mover(title);
        path = platform::GetOpenFileName(options);
    }
    if (path)
        state.Remember(*path);
    return path;
}

platform::FileDialogOptions SaveDialogOptions(platform::Window* owner, std::u16string_view title) {
    platform::FileDialogOptions o = IniOptions(owner, title);
    o.initialDirectory = platform::ProgramDirectory();
    return o;
}

std::optional<std::u16string> SaveIniFile(platform::Window* owner, std::u16string_view title) {
    const platform::FileDialogOptions options = SaveDialogOptions(owner, title);
    WindowMover mover(title);
    return platform::GetSaveFileName(options);
}

} // namespace velvane
