#pragma once
// The registry's database: one connection per process, opened on first use
// and again whenever the host settings name another file.
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::registry {

// Marks a database as a registry image: in the file header and in a table.
inline constexpr int32_t ApplicationId = 0x43455247; // "CERG"
inline constexpr const char* FormatName = "device registry";
inline constexpr const char* FormatVersion = "1";
// Creates the tables of an empty store; harmless on a complete one.
extern const char* const Schema;

// The open connection, or null with LastError set.
sqlite3* Store();

// SQLite's result codes for a file that is not (or no longer) a sound database.
bool IsDamage(int rc);
// What is wrong with the store file at path, read on a connection of its own;
// nullopt when it is sound, missing or only busy.
std::optional<std::string> StoreDamage(const std::filesystem::path& path);

// Sets LastError from the connection's last failure, prefixed with what failed;
// damage to the store itself names the store's file instead.
void SetSqlError(sqlite3* db, int rc, const std::string& what);
bool Exec(sqlite3* db, const char* sql, const char* what);

class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, std::string_view bytes);
    Statement& BindNull(int index);
    // SQLITE_ROW, SQLITE_DONE or an error code (LastError set for errors).
    int Step();
    bool Run() { return Step() == SQLITE_DONE; }
    // Ready to run again with new bindings.
    void Reset();
    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::string Blob(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

enum class TransactionKind { Read, Write };

// Rolls back unless committed. Writes take the write lock up front so that a
// busy database waits (busy timeout) instead of failing half-way.
class Transaction {
public:
    Transaction(sqlite3* db, TransactionKind kind);
    ~Transaction();
    bool Ok() const { return m_open; }
    bool Commit();

private:
    sqlite3* m_db;
    bool m_open = false;
};

} // namespace platform::registry
