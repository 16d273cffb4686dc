#include "Hortel.h"

#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/kernel.h"
#include "platform/registry.h"
#include "platform/window.h"

#include <string>

namespace hortel {

namespace {

// Every registry image passes through this file.
constexpr char16_t WorkingFile[] = u"\\Windows\\tempreg0.tmp";
constexpr char16_t ClassName[] = u"regRestClass";
constexpr int IconResource = 8001;
constexpr int IdReset = 1;
constexpr int IdAbort = 2;

platform::DialogTemplate ResetDialog() {
    platform::DialogTemplate t;
    t.resourceId = 1001;
    t.className = ClassName;
    t.caption = u"Registry restored";
    t.fontFace = u"Arial";
    t.fontPoints = 10;
    t.cx = 149;
    t.cy = 48;
    t.controls = {
        {IdReset, platform::ControlKind::PushButton, u"Soft-Reset !", 76, 16, 60, 16, 0},
        {IdAbort, platform::ControlKind::PushButton, u"Abbrechen", 12, 16, 44, 16, 0},
    };
    return t;
}

class ResetDialogHandler : public platform::DialogHandler {
public:
    void OnCommand(platform::Dialog& dialog, int id, platform::Notification n) override {
        if (n != platform::Notification::Clicked)
            return;
        if (id == IdReset) {
            dialog.End(1);
            platform::KernelIoControl(platform::IOCTL_HAL_REBOOT);
        } else if (id == IdAbort) {
            dialog.End(1);
        }
    }
    void OnClose(platform::Dialog& dialog) override { dialog.End(0); }
};

bool Has(std::u16string_view flags, char16_t flag) {
    return flags.find(flag) != std::u16string_view::npos;
}

} // namespace

int Run(std::u16string_view commandLine) {
    if (commandLine.size() < 3)
        return 0;
    // A second start only brings the open dialog to the front.
    if (platform::WindowHandle open = platform::FindTopLevelWindow(ClassName)) {
        platform::SetForegroundWindow({open.value | 1});
        return 0;
    }
    size_t blank = commandLine.find(u' ');
    if (blank == std::u16string_view::npos)
        return 0; // no path to act on
    std::u16string_view flags = commandLine.substr(0, blank);
    std::u16string path(commandLine.substr(blank + 1));
    const bool save = Has(flags, u's');
    const bool restore = Has(flags, u'r');
    const bool dialog = Has(flags, u'd');

    // The results of these steps are not looked at: each goes on regardless.
    if (save) {
        platform::RegCopyFile(WorkingFile);
        platform::CopyFile(WorkingFile, path, platform::CopyMode::Overwrite);
        platform::DeleteFile(WorkingFile);
    }
    if (restore)
        platform::CopyFile(path, WorkingFile, platform::CopyMode::Overwrite);
    if (restore && !dialog) {
        platform::RegRestoreFile(WorkingFile);
        return 1;
    }
    if (!restore || !dialog)
        return 1;
    if (!platform::RegRestoreFile(WorkingFile))
        return 1;
    if (!platform::IsClassRegistered(ClassName) &&
        !platform::RegisterDialogClass(ClassName, IconResource))
        return 0;
    ResetDialogHandler handler;
    return platform::Dialog::RunModal(ResetDialog(), handler, nullptr);
}

} // namespace hortel
