#pragma once
// The contract every backend fulfils. Backend-neutral code calls only this;
// each backend lives in its own folder.
#include "platform/host.h"
#include "platform/messagebox.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct FileDialogOptions;

// A backend derives what it keeps for each window from this.
struct WindowBackendData {
    virtual ~WindowBackendData() = default;
};

class Backend {
public:
    virtual ~Backend() = default;
    // Milliseconds of a monotonic clock (not wrapped).
    virtual uint64_t MonotonicMs() = 0;
    // Milliseconds since 1970 of the host's idea of UTC, before the device offset.
    virtual int64_t HostUtcMs() = 0;
    // Shows a box and returns the answer id; the caller writes the transcript.
    virtual int ShowMessageBox(Window* owner, std::u16string_view text, std::u16string_view caption,
                               MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
    // Lets the user choose a file to open or save: its device path, nothing
    // when cancelled. The caller writes the transcript.
    virtual std::optional<std::u16string> ShowFileDialog(const FileDialogOptions& options) = 0;

    // Window life and looks; the backend mirrors them (SDL windows) or not.
    virtual void WindowCreated(Window&) {}
    virtual void WindowDestroyed(Window&) {}
    virtual void WindowChanged(Window&) {} // moved, resized, shown, titled, raised
    // The window's surface holds a new frame.
    virtual void Present(Window&) {}
    // The picture is to be turned or mirrored otherwise (GetPresentation).
    virtual void PresentationChanged() {}
    // Windows of other processes (X11 only); zero when not found.
    virtual uint64_t FindForeignWindow(std::u16string_view /*className*/,
                                       std::u16string_view /*title*/) {
        return 0;
    }
    virtual bool ActivateForeignWindow(uint64_t /*id*/) { return false; }
    // Waits for input for at most timeoutMs (-1: no limit) and delivers it.
    // Headless: runs one automation step instead.
    virtual void Wait(int64_t timeoutMs) = 0;
    // Queues a tone and returns at once; the caller writes the transcript.
    virtual void PlayTone(int /*frequencyHz*/, int /*durationMs*/) {}
};

Backend& CurrentBackend();
std::unique_ptr<Backend> MakeHeadlessBackend(const HostSettings& host);
std::unique_ptr<Backend> MakeSdlBackend(const HostSettings& host);

} // namespace platform
