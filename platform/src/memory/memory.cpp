#include "platform/memory.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/transcript.h"

#include <cerrno>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

std::optional<MemoryDivision> GetSystemMemoryDivision() {
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const long ramPages = ::sysconf(_SC_PHYS_PAGES);
    if (pageSize <= 0 || ramPages <= 0) {
        SetLastError(ErrorCode::NotSupported, "the host does not tell its memory size");
        return std::nullopt;
    }
    struct statvfs fs {};
    if (::statvfs(Host().root.c_str(), &fs) != 0) {
        SetLastErrorFromErrno(errno, "file system of \"" + Host().root.string() + "\"");
        return std::nullopt;
    }
    MemoryDivision division;
    division.pageSize = static_cast<uint64_t>(pageSize);
    division.programPages = static_cast<uint64_t>(ramPages);
    division.storePages = static_cast<uint64_t>(fs.f_blocks) * fs.f_frsize / division.pageSize;
    return division;
}

bool SetSystemMemoryDivision(uint64_t storePages) {
    TranscriptWrite("memorydivision store=" + std::to_string(storePages) + " result=unsupported");
    SetLastError(ErrorCode::NotSupported, "the memory division cannot be changed on this host");
    return false;
}

} // namespace platform
