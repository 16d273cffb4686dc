#pragma once
// A lock that programs take around a run of steps on one file (write it, copy
// it, delete it) that the file's own sharing cannot span, because each step
// replaces or removes the file. It lives on a hidden companion file beside it,
// which the holder removes again on release.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string_view>

namespace platform {

class FileLock {
public:
    // Waits up to timeout while another program holds the lock; null with
    // LastError (Timeout when it was held all that time) on failure.
    static std::unique_ptr<FileLock> Acquire(std::u16string_view devicePath,
                                             std::chrono::milliseconds timeout);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    FileLock(int fd, std::filesystem::path path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd;
    std::filesystem::path m_path;
};

} // namespace platform
