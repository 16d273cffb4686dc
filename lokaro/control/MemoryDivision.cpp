#include "control/MemoryDivision.h"

#include "platform/memory.h"
#include "platform/messagebox.h"
#include "platform/text.h"

#include <string>

namespace lokaro {

bool setMemoryDivision(int kilobytes) {
    if (kilobytes < 0)
        return true;
    auto division = platform::GetSystemMemoryDivision();
    if (!division || division->pageSize == 0)
        return false;
    if (kilobytes > 0)
        return platform::SetSystemMemoryDivision(static_cast<uint64_t>(kilobytes) * 1024 /
                                                 division->pageSize);
    // In 64 bits: a host's disk in kilobytes overflows the device's int.
    const uint64_t store = division->storePages * division->pageSize / 1024;
    const uint64_t ram = division->programPages * division->pageSize / 1024;
    const std::string text = "Storage " + std::to_string(store) + ", Ram " + std::to_string(ram);
    platform::MessageBox(nullptr, platform::FromUtf8(text), u"Memory",
                         platform::MessageBoxButtons::Ok, platform::MessageBoxIcon::None);
    return true;
}

} // namespace lokaro
