// Registry images: the whole store written to a file and read back.
#include "platform/error.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "registry/store.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

using registry::Exec;
using registry::Statement;
using registry::Store;
using registry::Transaction;
using registry::TransactionKind;

namespace {

// Far beyond any real registry; keeps a wrong file from filling memory.
constexpr size_t MaxImageSize = 256u * 1024 * 1024;
constexpr size_t HeaderSize = 100;

uint32_t BigEndian(const std::string& bytes, size_t at, size_t count) {
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

bool SyncPath(const std::filesystem::path& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// A temporary file beside the target, removed again unless kept.
class TempFile {
public:
    // The descriptor stays open: it holds the lock that marks the file live.
    explicit TempFile(const std::filesystem::path& target)
        : m_fd(CreateTemporaryBeside(target, m_path)) {
        if (m_fd < 0)
            m_path.clear();
    }
    ~TempFile() {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
        if (m_fd >= 0)
            ::close(m_fd);
    }
    const std::filesystem::path& Path() const { return m_path; }
    void Keep() { m_path.clear(); }

private:
    std::filesystem::path m_path;
    int m_fd;
};

// Checks the file header before SQLite sees the bytes, so that the reasons
// people get are about the file, not about database internals.
bool CheckHeader(std::string& image, const std::string& name) {
    if (image.empty()) {
        SetLastError(ErrorCode::InvalidData, name + " is empty");
        return false;
    }
    if (image.size() < HeaderSize || std::memcmp(image.data(), "SQLite format 3", 16) != 0) {
        SetLastError(ErrorCode::InvalidData, name + " is not a registry image");
        return false;
    }
    uint32_t pageSize = BigEndian(image, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) {
        SetLastError(ErrorCode::InvalidData, name + " has a damaged header");
        return false;
    }
    // The page count in the header is only trustworthy when its writer
    // stamped it with the current change counter.
    uint32_t pages = BigEndian(image, 28, 4);
    bool countValid = BigEndian(image, 24, 4) == BigEndian(image, 92, 4);
    if (image.size() % pageSize != 0 || (countValid && uint64_t(pages) * pageSize > image.size())) {
        SetLastError(ErrorCode::InvalidData, name + " is truncated");
        return false;
    }
    if (static_cast<int32_t>(BigEndian(image, 68, 4)) != registry::ApplicationId) {
        SetLastError(ErrorCode::InvalidData, name + " is a database, but not a registry image");
        return false;
    }
    // A write-ahead-log mark would make SQLite look for a log file that an
    // image does not have; the pages themselves are complete.
    if (image[18] == 2 || image[19] == 2)
        image[18] = image[19] = 1;
    return true;
}

// Keys and values are found by their folded names: names that disagree with
// them, or that are not UTF-8, would restore entries that are listed but
// cannot be opened.
bool NamesAreSound(sqlite3* db, bool keys) {
    Statement rows(db, keys ? "SELECT name, folded FROM image.keys WHERE parent IS NOT NULL"
                            : "SELECT name, folded FROM image.vals");
    int rc;
    while ((rc = rows.Step()) == SQLITE_ROW) {
        std::string name = rows.Text(0);
        std::u16string text = FromUtf8(name);
        if (ToUtf8(text) != name)
            return false;
        if (keys && (text.empty() || text.size() > 255 || text.find(u'\\') != std::u16string::npos))
            return false;
        for (char16_t& c : text)
            c = AsciiLower(c);
        if (ToUtf8(text) != rows.Text(1))
            return false;
    }
    return rc == SQLITE_DONE;
}

// Runs on the schema "image": it must be our tables, sound and complete.
bool CheckImage(sqlite3* db, const std::string& name) {
    auto bad = [&](const std::string& why) {
        SetLastError(ErrorCode::InvalidData, name + " " + why);
        return false;
    };
    {
        Statement integrity(db, "PRAGMA image.integrity_check");
        if (integrity.Step() != SQLITE_ROW || integrity.Text(0) != "ok")
            return bad("is damaged (" + (integrity.Ok() ? integrity.Text(0) : LastError().message) +
                       ")");
    }
    {
        Statement format(db,
                         "SELECT (SELECT value FROM image.registry_format WHERE name = 'format'), "
                         "(SELECT value FROM image.registry_format WHERE name = 'version')");
        if (format.Step() != SQLITE_ROW || format.Text(0) != registry::FormatName)
            return bad("is a database, but not a registry image");
        if (format.Text(1) != registry::FormatVersion)
            return bad("has registry format version \"" + format.Text(1) + "\", not " +
                       registry::FormatVersion);
    }
    Statement shape(
        db, "SELECT (SELECT count(*) FROM image.keys WHERE parent IS NULL), "
            "(SELECT count(*) FROM image.keys WHERE parent IS NULL AND id BETWEEN 1 AND 4), "
            "(SELECT count(*) FROM image.vals WHERE type NOT IN (1, 3, 4) "
            "    OR typeof(data) <> 'blob' OR (type = 4 AND length(data) <> 4))");
    if (shape.Step() != SQLITE_ROW)
        return bad("lacks the registry tables");
    if (shape.Int(0) != 4 || shape.Int(1) != 4)
        return bad("has damaged root keys");
    if (shape.Int(2) != 0)
        return bad("holds values of unknown type");
    if (!NamesAreSound(db, true) || !NamesAreSound(db, false))
        return bad("holds damaged key or value names");
    Statement orphans(db, "PRAGMA image.foreign_key_check");
    int rc = orphans.Step();
    if (rc == SQLITE_ROW)
        return bad("holds keys or values without a parent key");
    if (rc != SQLITE_DONE)
        return bad("cannot be checked (" + LastError().message + ")");
    return true;
}

// Detaches the image schema on every way out.
class AttachedImage {
public:
    explicit AttachedImage(sqlite3* db) : m_db(db) {
        m_attached = Exec(db, "ATTACH ':memory:' AS image", "registry image");
    }
    ~AttachedImage() { Detach(); }
    void Detach() {
        if (m_attached)
            sqlite3_exec(m_db, "DETACH image", nullptr, nullptr, nullptr);
        m_attached = false;
    }
    bool Load(const std::string& bytes) {
        auto* buffer = static_cast<unsigned char*>(sqlite3_malloc64(bytes.size()));
        if (!buffer) {
            SetLastError(ErrorCode::NotEnoughMemory, "registry image too large for memory");
            return false;
        }
        std::memcpy(buffer, bytes.data(), bytes.size());
        int rc =
            sqlite3_deserialize(m_db, "image", buffer, static_cast<sqlite3_int64>(bytes.size()),
                                static_cast<sqlite3_int64>(bytes.size()),
                                SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE);
        if (rc != SQLITE_OK) {
            registry::SetSqlError(m_db, rc, "registry image");
            return false;
        }
        return true;
    }
    bool Ok() const { return m_attached; }

private:
    sqlite3* m_db;
    bool m_attached = false;
};

// The store may sit inside the device tree (tests put it there); replacing it
// under open connections would destroy it.
bool IsStoreFile(const std::filesystem::path& host, const std::string& name) {
    std::error_code ec;
    auto file = std::filesystem::weakly_canonical(host, ec);
    auto store = std::filesystem::weakly_canonical(Host().registry, ec);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (file == std::filesystem::path(store.string() + suffix)) {
            SetLastError(ErrorCode::AccessDenied, name + " is the registry store itself");
            return true;
        }
    }
    return false;
}

// Replaces the rows of main with those of the attached image. One write
// transaction: every other connection sees the old registry or the new one,
// and a process killed half-way leaves the old one.
bool CopyImageRows(sqlite3* db, const std::string& name) {
    Transaction t(db, TransactionKind::Write);
    bool ok = t.Ok() && Exec(db, "PRAGMA defer_foreign_keys = ON", "registry restore") &&
              Exec(db,
                   "DELETE FROM main.vals; DELETE FROM main.keys;"
                   "INSERT INTO main.keys(id, parent, name, folded) "
                   "    SELECT id, parent, name, folded FROM image.keys;"
                   "INSERT INTO main.vals(key, name, folded, type, data) "
                   "    SELECT key, name, folded, type, data FROM image.vals;",
                   "registry restore") &&
              t.Commit();
    if (!ok && LastError().code == ErrorCode::InvalidData)
        SetLastError(ErrorCode::InvalidData,
                     name + " does not fit the registry: " + LastError().message);
    return ok;
}

// The first free name beside the store for keeping a damaged one.
std::filesystem::path AsideName(const std::filesystem::path& store) {
    std::error_code ec;
    for (int n = 1;; ++n) {
        std::filesystem::path aside =
            store.string() + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        if (!std::filesystem::exists(aside, ec) &&
            !std::filesystem::exists(aside.string() + "-wal", ec))
            return aside;
    }
}

// Builds a new store from the image beside the damaged one, keeps the damaged
// file and its log under another name, and puts the new store in its place.
// The log must go too: SQLite would otherwise replay it into the new store.
bool ReplaceDamagedStore(const std::string& bytes, const std::string& name,
                         const std::string& damage) {
    RegCloseStore();
    const std::filesystem::path store = Host().registry;
    TempFile fresh(store);
    if (fresh.Path().empty())
        return false;
    {
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(fresh.Path().c_str(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        bool ok = rc == SQLITE_OK;
        if (!ok)
            registry::SetSqlError(db, rc, "registry store " + fresh.Path().string());
        if (ok) {
            Transaction t(db, TransactionKind::Write);
            ok = t.Ok() && Exec(db, registry::Schema, "registry store schema") && t.Commit();
        }
        if (ok) {
            AttachedImage image(db);
            ok = image.Ok() && image.Load(bytes) && CheckImage(db, name) && CopyImageRows(db, name);
        }
        sqlite3_close(db);
        if (!ok)
            return false;
    }
    if (!SyncPath(fresh.Path(), O_RDONLY)) {
        SetLastErrorFromErrno(errno, "sync " + fresh.Path().string());
        return false;
    }
    const std::filesystem::path aside = AsideName(store);
    if (::link(store.c_str(), aside.c_str()) != 0 && errno != ENOENT) {
        SetLastErrorFromErrno(errno, "keep the damaged registry store as " + aside.string());
        return false;
    }
    for (const char* side : {"-wal", "-journal"}) {
        std::string from = store.string() + side;
        if (::rename(from.c_str(), (aside.string() + side).c_str()) != 0 && errno != ENOENT) {
            SetLastErrorFromErrno(errno, "keep " + from);
            return false;
        }
    }
    ::unlink((store.string() + "-shm").c_str());
    if (::rename(fresh.Path().c_str(), store.c_str()) != 0) {
        SetLastErrorFromErrno(errno, "replace the damaged registry store " + store.string());
        return false;
    }
    fresh.Keep();
    SyncPath(store.parent_path(), O_RDONLY | O_DIRECTORY);
    std::fprintf(stderr,
                 "registry store %s was damaged (%s); kept as %s and replaced by the image %s\n",
                 store.c_str(), damage.c_str(), aside.c_str(), name.c_str());
    return true;
}

} // namespace

bool RegCopyFile(std::u16string_view deviceFile) {
    auto target = HostPathOf(deviceFile);
    if (!target || IsStoreFile(*target, ToUtf8(deviceFile)))
        return false;
    std::error_code ec;
    if (!std::filesystem::is_directory(target->parent_path(), ec)) {
        SetLastError(ErrorCode::PathNotFound,
                     "folder of " + ToUtf8(deviceFile) + " does not exist");
        return false;
    }
    sqlite3* db = Store();
    if (!db)
        return false;
    TempFile temp(*target);
    if (temp.Path().empty())
        return false;
    // VACUUM INTO reads inside one read transaction: a consistent snapshot
    // however busy the writers are.
    Statement vacuum(db, "VACUUM main INTO ?1");
    vacuum.Bind(1, temp.Path().string());
    if (!vacuum.Run())
        return false;
    {
        // An image stands alone: no write-ahead log beside it.
        sqlite3* out = nullptr;
        int rc = sqlite3_open_v2(temp.Path().c_str(), &out, SQLITE_OPEN_READWRITE, nullptr);
        bool ok = rc == SQLITE_OK && Exec(out, "PRAGMA journal_mode=DELETE", "registry image");
        if (rc != SQLITE_OK)
            registry::SetSqlError(out, rc, "registry image");
        sqlite3_close(out);
        if (!ok)
            return false;
    }
    if (!SyncPath(temp.Path(), O_RDONLY)) {
        SetLastErrorFromErrno(errno, "sync " + temp.Path().string());
        return false;
    }
    if (::rename(temp.Path().c_str(), target->c_str()) != 0) {
        SetLastErrorFromErrno(errno, "replace " + ToUtf8(deviceFile));
        return false;
    }
    temp.Keep();
    SyncPath(target->parent_path(), O_RDONLY | O_DIRECTORY);
    return true;
}

bool RegRestoreFile(std::u16string_view deviceFile) {
    std::string name = "\"" + ToUtf8(deviceFile) + "\"";
    auto host = HostPathOf(deviceFile);
    if (!host || IsStoreFile(*host, name))
        return false;
    std::error_code ec;
    auto size = std::filesystem::file_size(*host, ec);
    if (!ec && size > MaxImageSize) {
        SetLastError(ErrorCode::InvalidData, name + " is far too large for a registry");
        return false;
    }
    auto bytes = ReadFileContents(deviceFile);
    if (!bytes)
        return false;
    if (!CheckHeader(*bytes, name))
        return false;
    sqlite3* db = Store();
    if (!db) {
        auto damage = registry::StoreDamage(Host().registry);
        return damage && ReplaceDamagedStore(*bytes, name, *damage);
    }
    {
        AttachedImage image(db);
        if (!image.Ok() || !image.Load(*bytes) || !CheckImage(db, name))
            return false;
        // A damage the restore does not touch would outlive it; a store that
        // is not sound is replaced whole instead.
        std::optional<std::string> damage;
        {
            Statement check(db, "PRAGMA main.quick_check(3)");
            int rc = check.Step();
            if (rc == SQLITE_ROW && check.Text(0) != "ok")
                damage = check.Text(0);
            else if (rc != SQLITE_ROW && registry::IsDamage(rc))
                damage = LastError().message;
        }
        if (!damage) {
            if (CopyImageRows(db, name))
                return true;
            Error why = LastError();
            damage = registry::StoreDamage(Host().registry);
            if (!damage) {
                SetLastError(why.code, why.message);
                return false;
            }
        }
        image.Detach();
        return ReplaceDamagedStore(*bytes, name, *damage);
    }
}

} // namespace platform
