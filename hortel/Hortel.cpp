#include "Hortel.h"

#include "platform/dialog.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/kernel.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/window.h"

#include <cstdio>
#include <string>

namespace hortel {

namespace {

// Every registry image passes through this file.
constexpr char16_t WorkingFile[] = u"\\Windows\\tempreg0.tmp";
constexpr char16_t ClassName[] = u"regRestClass";
constexpr int IconResource = 8001;
constexpr int IdReset = 1;
constexpr int IdAbort = 2;
// Another hortel saving a big registry may hold the working file this long.
constexpr std::chrono::milliseconds WorkingFileWait{30000};

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
            if (!platform::KernelIoControl(platform::IOCTL_HAL_REBOOT))
                std::fprintf(stderr, "hortel: no soft reset: %s\n",
                             platform::LastError().message.c_str());
        } else if (id == IdAbort) {
            dialog.End(1);
        }
    }
    void OnClose(platform::Dialog& dialog) override { dialog.End(0); }
};

bool Has(std::u16string_view flags, char16_t flag) {
    return flags.find(flag) != std::u16string_view::npos;
}

// No message box for a failure, but the reason goes to stderr.
void Report(const std::string& what) {
    std::fprintf(stderr, "hortel: %s: %s\n", what.c_str(), platform::LastError().message.c_str());
}

std::string Quoted(std::u16string_view path) {
    return "\"" + platform::ToUtf8(path) + "\"";
}

// The backup is only written from an image made just now: a working file left
// by an earlier restore must never reach it, and a failed copy keeps the old one.
void Save(std::u16string_view path) {
    if (!platform::RegCopyFile(WorkingFile)) {
        Report("registry not saved, " + Quoted(path) + " left as it was");
        platform::DeleteFile(WorkingFile);
        return;
    }
    if (!platform::CopyFile(WorkingFile, path, platform::CopyMode::Overwrite))
        Report("registry not saved to " + Quoted(path));
    platform::DeleteFile(WorkingFile);
}

// Only an image fetched from the backup just now may be restored.
bool FetchImage(std::u16string_view path) {
    if (platform::CopyFile(path, WorkingFile, platform::CopyMode::Overwrite))
        return true;
    Report("registry not restored from " + Quoted(path));
    return false;
}

bool Restore(std::u16string_view path) {
    if (platform::RegRestoreFile(WorkingFile))
        return true;
    Report("registry not restored from " + Quoted(path));
    return false;
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

    if (!save && !restore)
        return 1;
    bool restored = false;
    {
        // Two starts at once would write, copy and delete each other's image.
        auto lock = platform::FileLock::Acquire(WorkingFile, WorkingFileWait);
        if (!lock) {
            Report(save && restore ? "registry neither saved nor restored"
                   : save          ? "registry not saved"
                                   : "registry not restored");
            return 1;
        }
        if (save)
            Save(path);
        if (restore)
            restored = FetchImage(path) && Restore(path);
    }
    if (!restore || !dialog || !restored)
        return 1;
    if (!platform::IsClassRegistered(ClassName) &&
        !platform::RegisterDialogClass(ClassName, IconResource))
        return 0;
    ResetDialogHandler handler;
    return platform::Dialog::RunModal(ResetDialog(), handler, nullptr);
}

} // namespace hortel
