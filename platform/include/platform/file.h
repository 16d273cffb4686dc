#pragma once
// Files in the device tree. Programs name them by device path: absolute,
// backslash-separated ("\\My Documents\\target.3na"), "/" accepted too. The
// platform maps them under the host root (CE_ROOT).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Host path of a device path; nullopt (LastError InvalidParameter) for a path
// that is empty, relative, or would leave the root through "..".
std::optional<std::filesystem::path> HostPathOf(std::u16string_view devicePath);

// Device path of the running program file, and its folder with a trailing "\\".
std::u16string ProgramFilePath();
std::u16string ProgramDirectory();

enum class FileAccess { Read, Write, ReadWrite, Append };
// Sharing as the device knows it: what other openers of the same file may do.
enum class FileShare { Exclusive, Read, ReadWrite };
enum class FileCreation {
    OpenExisting,     // fails when missing
    CreateNew,        // fails when present
    CreateAlways,     // truncates
    OpenAlways,       // creates when missing
    TruncateExisting, // fails when missing
};
enum class SeekOrigin { Begin, Current, End };

class File {
public:
    // Null with LastError set on failure (FileNotFound, PathNotFound,
    // SharingViolation, FileExists, AccessDenied ...).
    static std::unique_ptr<File> Open(std::u16string_view devicePath, FileAccess access,
                                      FileShare share, FileCreation creation);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Reads up to size bytes; got is what arrived (0 at the end).
    bool Read(void* buffer, uint32_t size, uint32_t& got);
    // True only if every byte was written.
    bool Write(const void* data, uint32_t size);
    bool Seek(int64_t offset, SeekOrigin origin);
    int64_t Position() const;
    int64_t Size() const;
    bool Flush();
    // Cuts the file to size bytes, as the device's end-of-file call does.
    bool Truncate(int64_t size);
    // False once the device path no longer names this open file: another
    // program deleted, moved or replaced it.
    bool IsStillAtPath() const;
    const std::u16string& DevicePath() const { return m_devicePath; }

private:
    File(int fd, std::u16string devicePath, FileAccess access);
    friend class AtomicFile;
    int m_fd;
    std::u16string m_devicePath;
    std::filesystem::path m_hostPath; // as resolved when opened
    FileAccess m_access;
    bool m_writeFailed = false;
};

// A whole file written so that a crash or a full disk never leaves a truncated
// file in place of a good one: the bytes go to a temporary file beside the
// target, which replaces it on Commit. Without Commit nothing changes.
class AtomicFile {
public:
    static std::unique_ptr<AtomicFile> Create(std::u16string_view devicePath);
    ~AtomicFile();
    File& Stream() { return *m_file; }
    // Flushes, syncs and renames over the target; false (old file kept) on any
    // failure, including an earlier failed write.
    bool Commit();

private:
    AtomicFile() = default;
    std::unique_ptr<File> m_file;
    std::filesystem::path m_temp;
    std::filesystem::path m_target;
    bool m_done = false;
};

// Creates a temporary file beside a host file, to replace it by rename, and
// returns its descriptor (-1 with LastError). The name always fits the name
// limit however long the target's is. The file stays locked while the
// descriptor is open; temporaries of the same target that nobody holds (their
// writer was killed) are removed first, live ones never.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& temp);

// Writes bytes to a file through AtomicFile.
bool ReplaceFileContents(std::u16string_view devicePath, std::string_view bytes);
// Reads a whole file; nullopt with LastError on failure.
std::optional<std::string> ReadFileContents(std::u16string_view devicePath);

enum class CopyMode { Overwrite, FailIfExists };
bool CopyFile(std::u16string_view from, std::u16string_view to, CopyMode mode);
bool DeleteFile(std::u16string_view devicePath);
// Fails when the target exists, as on the device.
bool MoveFile(std::u16string_view from, std::u16string_view to);
bool CreateDirectory(std::u16string_view devicePath);
bool RemoveDirectory(std::u16string_view devicePath);
bool FileExists(std::u16string_view devicePath);
bool DirectoryExists(std::u16string_view devicePath);

enum FileAttribute : uint32_t {
    AttributeReadOnly = 0x01,
    AttributeHidden = 0x02,
    AttributeDirectory = 0x10,
    AttributeNormal = 0x80,
};

struct FoundFile {
    std::u16string name; // file name only
    uint32_t attributes = 0;
    uint64_t size = 0;
    int64_t lastWriteUnixMs = 0;
};

// Files matching a pattern such as "\\Storage\\Skins\\*.ini": "*" and "?" in
// the last part, case-insensitive like the device. Sorted by name. An empty
// result with LastError PathNotFound when the folder is missing.
std::vector<FoundFile> FindFiles(std::u16string_view pattern);
bool MatchesPattern(std::u16string_view name, std::u16string_view pattern);

} // namespace platform
