#pragma once
// The contract every backend fulfils. Backend-neutral code calls only this;
// each backend lives in its own folder.
#include "platform/host.h"
#include "platform/messagebox.h"
#include <cstdint>
#include <memory>

namespace platform {

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
};

Backend& CurrentBackend();
std::unique_ptr<Backend> MakeHeadlessBackend(const HostSettings& host);
std::unique_ptr<Backend> MakeSdlBackend(const HostSettings& host);

} // namespace platform
