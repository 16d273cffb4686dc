#include "platform/file.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::vector<std::u16string> SplitDevicePath(std::u16string_view path, bool& ok) {
    std::vector<std::u16string> parts;
    ok = true;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i]))
            ++i;
        size_t start = i;
        while (i < path.size() && !IsSeparator(path[i]))
            ++i;
        std::u16string part(path.substr(start, i - start));
        if (part.empty() || part == u".")
            continue;
        if (part == u"..") {
            if (parts.empty()) {
                ok = false;
                return parts;
            }
            parts.pop_back();
            continue;
        }
        if (part.find(u'\0') != std::u16string::npos) {
            ok = false;
            return parts;
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

// The device's file system ignores case; a part that does not exist as written
// is looked up case-insensitively so files written on the device still match.
fs::path ResolvePart(const fs::path& dir, const std::u16string& part) {
    std::string name = ToUtf8(part);
    fs::path exact = dir / name;
    std::error_code ec;
    if (fs::exists(exact, ec))
        return exact;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return exact;
    fs::path found = exact;
    while (dirent* e = readdir(d)) {
        if (EqualsIgnoreAsciiCase(FromUtf8(e->d_name), part)) {
            found = dir / e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

bool Fail(ErrorCode code, const std::string& message) {
    SetLastError(code, message);
    return false;
}

std::string Describe(std::u16string_view devicePath) {
    return ToUtf8(devicePath);
}

} // namespace

std::optional<fs::path> HostPathOf(std::u16string_view devicePath) {
    if (devicePath.empty() || !IsSeparator(devicePath[0])) {
        SetLastError(ErrorCode::InvalidParameter,
                     "not an absolute device path: \"" + Describe(devicePath) + "\"");
        return std::nullopt;
    }
    bool ok = true;
    auto parts = SplitDevicePath(devicePath, ok);
    if (!ok) {
        SetLastError(ErrorCode::InvalidParameter,
                     "device path leaves the device tree: \"" + Describe(devicePath) + "\"");
        return std::nullopt;
    }
    fs::path host = Host().root;
    for (const auto& part : parts)
        host = ResolvePart(host, part);
    return host;
}

std::u16string ProgramFilePath() {
    return Host().programFile;
}

std::u16string ProgramDirectory() {
    const std::u16string& file = Host().programFile;
    size_t cut = file.find_last_of(u"\\/");
    return cut == std::u16string::npos ? std::u16string(u"\\") : file.substr(0, cut + 1);
}

File::File(int fd, std::u16string devicePath, FileAccess access)
    : m_fd(fd), m_devicePath(std::move(devicePath)), m_access(access) {}

File::~File() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::unique_ptr<File> File::Open(std::u16string_view devicePath, FileAccess access, FileShare share,
                                 FileCreation creation) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return nullptr;
    int flags = O_CLOEXEC;
    switch (access) {
    case FileAccess::Read:
        flags |= O_RDONLY;
        break;
    case FileAccess::Write:
        flags |= O_WRONLY;
        break;
    case FileAccess::ReadWrite:
        flags |= O_RDWR;
        break;
    case FileAccess::Append:
        flags |= O_WRONLY | O_APPEND;
        break;
    }
    switch (creation) {
    case FileCreation::OpenExisting:
        break;
    case FileCreation::CreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    case FileCreation::CreateAlways:
        flags |= O_CREAT | O_TRUNC;
        break;
    case FileCreation::OpenAlways:
        flags |= O_CREAT;
        break;
    case FileCreation::TruncateExisting:
        flags |= O_TRUNC;
        break;
    }
    if (access == FileAccess::Read && (flags & O_TRUNC)) {
        SetLastError(ErrorCode::InvalidParameter, "cannot truncate a file opened for reading");
        return nullptr;
    }
    struct stat st {};
    if (::stat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ErrorCode::AccessDenied, "is a folder: \"" + Describe(devicePath) + "\"");
        return nullptr;
    }
    int fd = ::open(host->c_str(), flags, 0644);
    if (fd < 0) {
        int err = errno;
        if (err == ENOENT && !fs::is_directory(host->parent_path())) {
            SetLastError(ErrorCode::PathNotFound,
                         "folder missing: \"" + Describe(devicePath) + "\"");
        } else if (err == EEXIST) {
            SetLastError(ErrorCode::FileExists, "file exists: \"" + Describe(devicePath) + "\"");
        } else {
            SetLastErrorFromErrno(err, "open \"" + Describe(devicePath) + "\"");
        }
        return nullptr;
    }
    // Sharing is approximated with advisory locks, which every opener here takes.
    int lock = share == FileShare::Exclusive ? LOCK_EX : share == FileShare::Read ? LOCK_SH : 0;
    if (lock && ::flock(fd, lock | LOCK_NB) != 0) {
        ::close(fd);
        SetLastError(ErrorCode::SharingViolation, "file in use: \"" + Describe(devicePath) + "\"");
        return nullptr;
    }
    std::unique_ptr<File> file(new File(fd, std::u16string(devicePath), access));
    file->m_hostPath = std::move(*host);
    return file;
}

bool File::Read(void* buffer, uint32_t size, uint32_t& got) {
    got = 0;
    if (m_access == FileAccess::Write || m_access == FileAccess::Append)
        return Fail(ErrorCode::AccessDenied, "file not open for reading");
    auto* p = static_cast<char*>(buffer);
    while (got < size) {
        ssize_t n = ::read(m_fd, p + got, size - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            SetLastErrorFromErrno(errno, "read \"" + Describe(m_devicePath) + "\"");
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<uint32_t>(n);
    }
    return true;
}

bool File::Write(const void* data, uint32_t size) {
    if (m_access == FileAccess::Read)
        return Fail(ErrorCode::AccessDenied, "file not open for writing");
    auto* p = static_cast<const char*>(data);
    uint32_t done = 0;
    while (done < size) {
        ssize_t n = ::write(m_fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_writeFailed = true;
            SetLastErrorFromErrno(errno, "write \"" + Describe(m_devicePath) + "\"");
            return false;
        }
        done += static_cast<uint32_t>(n);
    }
    return true;
}

bool File::Seek(int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                 : SEEK_END;
    if (::lseek(m_fd, offset, whence) < 0) {
        SetLastErrorFromErrno(errno, "seek \"" + Describe(m_devicePath) + "\"");
        return false;
    }
    return true;
}

int64_t File::Position() const {
    return ::lseek(m_fd, 0, SEEK_CUR);
}

int64_t File::Size() const {
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 ? st.st_size : -1;
}

bool File::Flush() {
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        SetLastErrorFromErrno(errno, "sync \"" + Describe(m_devicePath) + "\"");
        return false;
    }
    return true;
}

bool File::Truncate(int64_t size) {
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0) {
        SetLastErrorFromErrno(errno, "truncate \"" + Describe(m_devicePath) + "\"");
        return false;
    }
    return true;
}

bool File::IsStillAtPath() const {
    struct stat open {
    }, named{};
    if (::fstat(m_fd, &open) != 0 || open.st_nlink == 0)
        return false;
    // The name as resolved at opening: resolving it again on every call would
    // cost a lookup per folder, and a renamed folder fails the stat anyway.
    std::optional<fs::path> host = m_hostPath;
    if (host->empty())
        host = HostPathOf(m_devicePath);
    return host && ::stat(host->c_str(), &named) == 0 && named.st_ino == open.st_ino &&
           named.st_dev == open.st_dev;
}

namespace {

constexpr size_t NameLimit = 255; // bytes of one name on the host's file systems
constexpr size_t RandomLength = 6;

// The fixed part of the temporaries of a file: ".NAME.~" while that fits with
// the random tail, else a cut name with a hash of the whole one, so the
// temporary's name always fits and still belongs to this file alone. The "~"
// keeps a user's own ".NAME.backup" from ever looking like one of ours.
std::string TemporaryPrefix(const std::string& name) {
    std::string prefix = "." + name + ".~";
    if (prefix.size() + RandomLength <= NameLimit)
        return prefix;
    uint32_t hash = 2166136261u; // FNV-1a
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    char tail[16];
    std::snprintf(tail, sizeof tail, ".%08x.~", hash);
    size_t keep = NameLimit - RandomLength - 1 - std::strlen(tail);
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep; // never cut inside a UTF-8 sequence
    return "." + name.substr(0, keep) + tail;
}

bool IsOurTemporary(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + RandomLength ||
        entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// A temporary nobody holds locked was left by a writer that was killed: its
// creator keeps the lock from creation to rename. Removed under our own lock,
// and only if the name still means the file we locked.
void RemoveStaleTemporaries(const fs::path& folder, const std::string& prefix) {
    DIR* d = opendir(folder.c_str());
    if (!d)
        return;
    std::vector<std::string> candidates;
    while (dirent* e = readdir(d))
        if (IsOurTemporary(e->d_name, prefix))
            candidates.push_back(e->d_name);
    closedir(d);
    for (const auto& name : candidates) {
        const fs::path path = folder / name;
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {
        }, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
            S_ISREG(held.st_mode) && ::lstat(path.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            ::unlink(path.c_str());
        ::close(fd);
    }
}

} // namespace

int CreateTemporaryBeside(const fs::path& target, fs::path& temp) {
    const std::string prefix = TemporaryPrefix(target.filename().string());
    RemoveStaleTemporaries(target.parent_path(), prefix);
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::string name = (target.parent_path() / (prefix + "XXXXXX")).string();
        int fd = ::mkstemp(name.data());
        if (fd < 0) {
            SetLastErrorFromErrno(errno, "create a temporary file beside " + target.string());
            return -1;
        }
        // Between mkstemp and the lock another saver may have taken the new
        // file for stale and removed it; then it is made again.
        struct stat held {
        }, named{};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &held) == 0 && held.st_nlink > 0 &&
            ::lstat(name.c_str(), &named) == 0 && held.st_ino == named.st_ino) {
            temp = name;
            return fd;
        }
        ::close(fd);
    }
    SetLastError(ErrorCode::WriteFault, "no temporary file beside " + target.string());
    return -1;
}

std::unique_ptr<AtomicFile> AtomicFile::Create(std::u16string_view devicePath) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return nullptr;
    if (!fs::is_directory(host->parent_path())) {
        SetLastError(ErrorCode::PathNotFound, "folder missing: \"" + Describe(devicePath) + "\"");
        return nullptr;
    }
    fs::path temp;
    int fd = CreateTemporaryBeside(*host, temp);
    if (fd < 0) {
        SetLastError(LastError().code, "create temporary file for \"" + Describe(devicePath) +
                                           "\": " + LastError().message);
        return nullptr;
    }
    ::fchmod(fd, 0644);
    std::unique_ptr<AtomicFile> a(new AtomicFile());
    a->m_file.reset(new File(fd, std::u16string(devicePath), FileAccess::Write));
    a->m_temp = temp;
    a->m_target = *host;
    return a;
}

AtomicFile::~AtomicFile() {
    if (!m_done) {
        std::error_code ec;
        fs::remove(m_temp, ec); // while still locked, so no one else takes it for stale
        m_file.reset();
    }
}

bool AtomicFile::Commit() {
    if (m_done)
        return Fail(ErrorCode::InvalidParameter, "already committed");
    m_done = true;
    bool ok = !m_file->m_writeFailed && m_file->Flush();
    if (!ok && LastError().code == ErrorCode::None)
        SetLastError(ErrorCode::WriteFault, "an earlier write failed");
    // Renamed while the lock is held: until then it is a live temporary.
    if (ok && ::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        SetLastErrorFromErrno(errno, "replace \"" + m_target.string() + "\"");
        ok = false;
    }
    if (!ok) {
        std::error_code ec;
        fs::remove(m_temp, ec);
        m_file.reset();
        return false;
    }
    m_file.reset();
    int dir = ::open(m_target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool ReplaceFileContents(std::u16string_view devicePath, std::string_view bytes) {
    auto file = AtomicFile::Create(devicePath);
    if (!file)
        return false;
    if (!file->Stream().Write(bytes.data(), static_cast<uint32_t>(bytes.size())))
        return false;
    return file->Commit();
}

std::optional<std::string> ReadFileContents(std::u16string_view devicePath) {
    auto file =
        File::Open(devicePath, FileAccess::Read, FileShare::ReadWrite, FileCreation::OpenExisting);
    if (!file)
        return std::nullopt;
    int64_t size = file->Size();
    if (size < 0 || size > 0x7FFFFFFF) {
        SetLastError(ErrorCode::NotEnoughMemory,
                     "file too large: \"" + Describe(devicePath) + "\"");
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    uint32_t got = 0;
    if (!file->Read(bytes.data(), static_cast<uint32_t>(size), got))
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

bool CopyFile(std::u16string_view from, std::u16string_view to, CopyMode mode) {
    auto source = HostPathOf(from);
    auto target = HostPathOf(to);
    if (!source || !target)
        return false;
    if (!fs::is_regular_file(*source))
        return Fail(ErrorCode::FileNotFound, "file not found: \"" + Describe(from) + "\"");
    if (mode == CopyMode::FailIfExists && fs::exists(*target))
        return Fail(ErrorCode::FileExists, "file exists: \"" + Describe(to) + "\"");
    auto bytes = ReadFileContents(from);
    if (!bytes)
        return false;
    // A copy replaces the target whole or not at all.
    return ReplaceFileContents(to, *bytes);
}

bool DeleteFile(std::u16string_view devicePath) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return false;
    if (fs::is_directory(*host))
        return Fail(ErrorCode::AccessDenied, "is a folder: \"" + Describe(devicePath) + "\"");
    if (::unlink(host->c_str()) != 0) {
        SetLastErrorFromErrno(errno, "delete \"" + Describe(devicePath) + "\"");
        return false;
    }
    return true;
}

bool MoveFile(std::u16string_view from, std::u16string_view to) {
    auto source = HostPathOf(from);
    auto target = HostPathOf(to);
    if (!source || !target)
        return false;
    std::error_code ec;
    if (!fs::exists(*source, ec))
        return Fail(ErrorCode::FileNotFound, "file not found: \"" + Describe(from) + "\"");
    if (fs::exists(*target, ec))
        return Fail(ErrorCode::AlreadyExists, "target exists: \"" + Describe(to) + "\"");
    if (::rename(source->c_str(), target->c_str()) != 0) {
        SetLastErrorFromErrno(errno, "rename \"" + Describe(from) + "\"");
        return false;
    }
    return true;
}

bool CreateDirectory(std::u16string_view devicePath) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return false;
    if (::mkdir(host->c_str(), 0755) != 0) {
        if (errno == ENOENT)
            return Fail(ErrorCode::PathNotFound,
                        "parent folder missing: \"" + Describe(devicePath) + "\"");
        SetLastErrorFromErrno(errno, "create folder \"" + Describe(devicePath) + "\"");
        return false;
    }
    return true;
}

bool RemoveDirectory(std::u16string_view devicePath) {
    auto host = HostPathOf(devicePath);
    if (!host)
        return false;
    if (::rmdir(host->c_str()) != 0) {
        SetLastErrorFromErrno(errno, "remove folder \"" + Describe(devicePath) + "\"");
        return false;
    }
    return true;
}

bool FileExists(std::u16string_view devicePath) {
    auto host = HostPathOf(devicePath);
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec);
}

bool DirectoryExists(std::u16string_view devicePath) {
    auto host = HostPathOf(devicePath);
    std::error_code ec;
    return host && fs::is_directory(*host, ec);
}

bool MatchesPattern(std::u16string_view name, std::u16string_view pattern) {
    // Iterative wildcard match with one backtrack point for the last "*".
    size_t n = 0, p = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == u'?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    // "*.*" matches names without a dot too, as on the device.
    if (p + 2 == pattern.size() && pattern.substr(p) == u".*")
        return true;
    return p == pattern.size();
}

std::vector<FoundFile> FindFiles(std::u16string_view pattern) {
    std::vector<FoundFile> result;
    size_t cut = pattern.find_last_of(u"\\/");
    if (cut == std::u16string_view::npos) {
        SetLastError(ErrorCode::InvalidParameter,
                     "not an absolute device path: \"" + Describe(pattern) + "\"");
        return result;
    }
    std::u16string_view folder = pattern.substr(0, cut + 1);
    std::u16string_view mask = pattern.substr(cut + 1);
    auto host = HostPathOf(folder);
    if (!host)
        return result;
    DIR* d = opendir(host->c_str());
    if (!d) {
        SetLastError(ErrorCode::PathNotFound, "folder missing: \"" + Describe(folder) + "\"");
        return result;
    }
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::u16string name16 = FromUtf8(name);
        if (!MatchesPattern(name16, mask))
            continue;
        struct stat st {};
        if (::stat((*host / name).c_str(), &st) != 0)
            continue;
        FoundFile f;
        f.name = std::move(name16);
        f.attributes = S_ISDIR(st.st_mode) ? AttributeDirectory : AttributeNormal;
        if (!S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR))
            f.attributes = AttributeReadOnly;
        if (name[0] == '.')
            f.attributes |= AttributeHidden;
        f.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
        f.lastWriteUnixMs =
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
        result.push_back(std::move(f));
    }
    closedir(d);
    std::sort(result.begin(), result.end(),
              [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    SetLastError(ErrorCode::None);
    return result;
}

} // namespace platform
