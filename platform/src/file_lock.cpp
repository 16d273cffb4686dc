#include "platform/file_lock.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::chrono::milliseconds PollInterval{10};

bool SameFile(int fd, const std::filesystem::path& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

std::unique_ptr<FileLock> FileLock::Acquire(std::u16string_view devicePath,
                                            std::chrono::milliseconds timeout) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return nullptr;
    const std::filesystem::path path =
        host->parent_path() / ("." + host->filename().string() + ".lock");
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            SetLastErrorFromErrno(errno, "lock \"" + ToUtf8(devicePath) + "\"");
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before us removes the lock file on release; a lock on
            // a removed file guards nothing, so open the new one.
            if (SameFile(fd, path))
                return std::unique_ptr<FileLock>(new FileLock(fd, path));
            ::close(fd);
            continue;
        }
        int err = errno;
        ::close(fd);
        if (err != EWOULDBLOCK) {
            SetLastErrorFromErrno(err, "lock \"" + ToUtf8(devicePath) + "\"");
            return nullptr;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            SetLastError(ErrorCode::Timeout, "\"" + ToUtf8(devicePath) +
                                                 "\" stayed in use by another program for " +
                                                 std::to_string(timeout.count()) + " ms");
            return nullptr;
        }
        std::this_thread::sleep_for(PollInterval);
    }
}

FileLock::~FileLock() {
    // Removed while still held, so a waiter that opened it sees it went away.
    ::unlink(m_path.c_str());
    ::close(m_fd);
}

} // namespace platform
