#include "registry/store.h"
#include "platform/error.h"
#include "platform/host.h"
#include "platform/registry.h"

#include <unistd.h>

namespace platform::registry {

const char* const Schema = R"sql(
CREATE TABLE IF NOT EXISTS registry_format(
    name TEXT PRIMARY KEY,
    value TEXT NOT NULL);
INSERT OR IGNORE INTO registry_format VALUES ('format', 'device registry'), ('version', '1');
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    UNIQUE(parent, folded));
INSERT OR IGNORE INTO keys(id, parent, name, folded) VALUES
    (1, NULL, 'HKEY_CLASSES_ROOT', 'hkey_classes_root'),
    (2, NULL, 'HKEY_CURRENT_USER', 'hkey_current_user'),
    (3, NULL, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),
    (4, NULL, 'HKEY_USERS', 'hkey_users');
CREATE TABLE IF NOT EXISTS vals(
    key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, folded));
PRAGMA application_id = 1128616519;
)sql";

namespace {

// Long enough for another program's restore of a big registry to finish.
constexpr int BusyTimeoutMs = 15000;

struct Connection {
    sqlite3* db = nullptr;
    std::filesystem::path path;
    pid_t owner = 0;
};

Connection& Current() {
    static Connection c;
    return c;
}

static_assert(ApplicationId == 1128616519);

ErrorCode CodeOf(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ErrorCode::SharingViolation;
    case SQLITE_FULL:
        return ErrorCode::DiskFull;
    case SQLITE_NOMEM:
        return ErrorCode::NotEnoughMemory;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CONSTRAINT:
        return ErrorCode::InvalidData;
    case SQLITE_CANTOPEN:
        return ErrorCode::PathNotFound;
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return ErrorCode::AccessDenied;
    case SQLITE_IOERR:
        return ErrorCode::WriteFault;
    default:
        return ErrorCode::InvalidData;
    }
}

// Creates the tables of a new store; an existing one is only read, so that
// opening never waits behind another program's write.
bool EnsureSchema(sqlite3* db, const std::string& name) {
    bool fresh = false;
    {
        Statement tables(db, "SELECT count(*) FROM sqlite_master WHERE name = 'registry_format'");
        if (tables.Step() != SQLITE_ROW)
            return false;
        fresh = tables.Int(0) == 0;
    }
    if (fresh) {
        Transaction t(db, TransactionKind::Write);
        if (!t.Ok() || !Exec(db, Schema, "registry store schema") || !t.Commit())
            return false;
    }
    Statement version(db, "SELECT value FROM registry_format WHERE name = 'version'");
    int rc = version.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return false;
    if (rc == SQLITE_DONE || version.Text(0) != FormatVersion) {
        SetLastError(ErrorCode::InvalidData,
                     "registry store " + name + " has an unknown format version");
        return false;
    }
    return true;
}

sqlite3* OpenStore(const std::filesystem::path& path) {
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        SetSqlError(db, rc, "registry store " + path.string());
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // WAL lets readers (a backup) run beside a writer; NORMAL sync keeps the
    // database sound when a process dies, losing at most what a power cut takes.
    bool ok = Exec(db, "PRAGMA journal_mode=WAL", "registry store") &&
              Exec(db, "PRAGMA synchronous=NORMAL", "registry store") &&
              Exec(db, "PRAGMA foreign_keys=ON", "registry store") &&
              EnsureSchema(db, path.string());
    if (!ok) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

} // namespace

sqlite3* Store() {
    Connection& c = Current();
    const std::filesystem::path& wanted = Host().registry;
    if (c.db && c.owner != getpid()) {
        // Inherited through fork: the parent's locks are not ours, so the
        // handle must not be used or closed here.
        c.db = nullptr;
    }
    if (c.db && c.path != wanted) {
        sqlite3_close(c.db);
        c.db = nullptr;
    }
    if (!c.db) {
        if (wanted.empty()) {
            SetLastError(ErrorCode::PathNotFound, "no registry store is set (CE_REGISTRY)");
            return nullptr;
        }
        c.db = OpenStore(wanted);
        c.path = wanted;
        c.owner = getpid();
        if (!c.db) {
            Error why = LastError();
            if (auto damage = StoreDamage(wanted))
                SetLastError(ErrorCode::InvalidData,
                             "registry store " + wanted.string() + " is damaged (" + *damage + ")");
            else
                SetLastError(why.code, why.message);
        }
    }
    return c.db;
}

bool IsDamage(int rc) {
    return (rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB;
}

std::optional<std::string> StoreDamage(const std::filesystem::path& path) {
    // A connection of its own that only reads: it neither waits for writers
    // nor creates a store where there is none.
    sqlite3* db = nullptr;
    std::optional<std::string> damage;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, BusyTimeoutMs);
        sqlite3_stmt* check = nullptr;
        int rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(3)", -1, &check, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(check);
        if (rc == SQLITE_ROW) {
            std::string result = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
            if (result != "ok") {
                // One line, however many problems SQLite lists.
                for (char& ch : result)
                    if (ch == '\n')
                        ch = ' ';
                damage = result;
            }
        } else if (IsDamage(rc)) {
            damage = sqlite3_errmsg(db);
        }
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    return damage;
}

void SetSqlError(sqlite3* db, int rc, const std::string& what) {
    const Connection& c = Current();
    std::string reason = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    // Say which file is broken, so that people know what to restore.
    if (db && db == c.db && IsDamage(rc))
        SetLastError(CodeOf(rc),
                     "registry store " + c.path.string() + " is damaged (" + reason + ")");
    else
        SetLastError(CodeOf(rc), what + ": " + reason);
}

bool Exec(sqlite3* db, const char* sql, const char* what) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        SetSqlError(db, rc, what);
        return false;
    }
    return true;
}

Statement::Statement(sqlite3* db, const char* sql) : m_db(db) {
    int rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        SetSqlError(db, rc, "registry");
        m_stmt = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

Statement& Statement::Bind(int index, int64_t value) {
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    sqlite3_bind_text64(m_stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
    // A zero-length blob must stay a blob, not NULL.
    static const char empty = 0;
    sqlite3_bind_blob64(m_stmt, index, bytes.empty() ? &empty : bytes.data(), bytes.size(),
                        SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::BindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
    return *this;
}

int Statement::Step() {
    if (!m_stmt)
        return SQLITE_MISUSE;
    int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        SetSqlError(m_db, rc, "registry");
    return rc;
}

void Statement::Reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::Text(int column) const {
    auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
             : std::string();
}

std::string Statement::Blob(int column) const {
    auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
             : std::string();
}

Transaction::Transaction(sqlite3* db, TransactionKind kind) : m_db(db) {
    m_open = Exec(db, kind == TransactionKind::Write ? "BEGIN IMMEDIATE" : "BEGIN", "registry");
}

Transaction::~Transaction() {
    if (m_open)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Transaction::Commit() {
    if (!m_open)
        return false;
    if (!Exec(m_db, "COMMIT", "registry commit"))
        return false; // the destructor rolls back what is left
    m_open = false;
    return true;
}

} // namespace platform::registry

namespace platform {

std::optional<std::string> RegStoreDamage() {
    if (Host().registry.empty())
        return std::nullopt;
    return registry::StoreDamage(Host().registry);
}

void RegCloseStore() {
    auto& c = registry::Current();
    if (c.db && c.owner == getpid())
        sqlite3_close(c.db);
    c.db = nullptr;
    c.path.clear();
}

} // namespace platform
