#pragma once
// The device divides its memory between storage and program RAM. Here the
// figures are the host's: the file system holding the device tree, and RAM.
#include <cstdint>
#include <optional>

namespace platform {

struct MemoryDivision {
    uint64_t storePages = 0;   // total size of the device tree's file system
    uint64_t programPages = 0; // the host's physical memory
    uint64_t pageSize = 0;     // bytes
};

// nullopt with LastError when the host cannot tell.
std::optional<MemoryDivision> GetSystemMemoryDivision();

// Moving memory between storage and RAM is not possible on this host: the
// request is written to the transcript and fails with NotSupported.
bool SetSystemMemoryDivision(uint64_t storePages);

} // namespace platform
