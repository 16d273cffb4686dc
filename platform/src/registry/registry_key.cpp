#include "platform/error.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "registry/store.h"

namespace platform {

using registry::Statement;
using registry::Store;
using registry::Transaction;
using registry::TransactionKind;

namespace {

constexpr size_t MaxKeyNameLength = 255;

// Rows 1 to 4 of the keys table, in the order of the device's root handles.
int64_t RootId(RootKey root) {
    return static_cast<int64_t>(static_cast<uint32_t>(root) & 0xF) + 1;
}

bool ValidRoot(RootKey root) {
    uint32_t r = static_cast<uint32_t>(root);
    return r >= 0x80000000u && r <= 0x80000003u;
}

std::string Folded(std::u16string_view name) {
    std::u16string lower(name);
    for (char16_t& c : lower)
        c = AsciiLower(c);
    return ToUtf8(lower);
}

const char* TypeName(ValueType type) {
    switch (type) {
    case ValueType::String:
        return "string";
    case ValueType::Binary:
        return "binary";
    case ValueType::Dword:
        return "dword";
    }
    return "unknown";
}

bool ValidType(ValueType type) {
    return type == ValueType::String || type == ValueType::Binary || type == ValueType::Dword;
}

// Splits a key path at "\\", ignoring empty parts; false for a name that is too long.
bool SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& parts) {
    size_t i = 0;
    while (i <= path.size()) {
        size_t end = path.find(u'\\', i);
        if (end == std::u16string_view::npos)
            end = path.size();
        if (end > i) {
            if (end - i > MaxKeyNameLength) {
                SetLastError(ErrorCode::InvalidParameter,
                             "registry key name longer than 255 characters: " +
                                 ToUtf8(path.substr(i, 40)) + "...");
                return false;
            }
            parts.emplace_back(path.substr(i, end - i));
        }
        i = end + 1;
    }
    return true;
}

std::u16string JoinKeyPath(const std::vector<std::u16string>& parts) {
    std::u16string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += u'\\';
        out += p;
    }
    return out;
}

std::string Describe(RootKey root, std::u16string_view path) {
    std::string out = ToUtf8(RootKeyName(root));
    if (!path.empty())
        out += "\\" + ToUtf8(path);
    return out;
}

// The key's row id, or nullopt (LastError FileNotFound) when it is missing.
std::optional<int64_t> FindKey(sqlite3* db, RootKey root, const std::u16string& path) {
    std::vector<std::u16string> parts;
    SplitKeyPath(path, parts);
    int64_t id = RootId(root);
    Statement find(db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    for (const auto& part : parts) {
        find.Reset();
        find.Bind(1, id).Bind(2, Folded(part));
        int rc = find.Step();
        if (rc != SQLITE_ROW) {
            if (rc == SQLITE_DONE)
                SetLastError(ErrorCode::FileNotFound,
                             "registry key not found: " + Describe(root, path));
            return std::nullopt;
        }
        id = find.Int(0);
    }
    return id;
}

// For calls on an open handle: a key that vanished meanwhile is a stale handle.
// The parts of a key path under a valid root; false, with the reason, otherwise.
bool KeyPathParts(RootKey root, std::u16string_view path, std::vector<std::u16string>& parts) {
    if (!ValidRoot(root)) {
        SetLastError(ErrorCode::InvalidHandle, "not a registry root key");
        return false;
    }
    return SplitKeyPath(path, parts);
}

std::optional<int64_t> FindOpenKey(sqlite3* db, RootKey root, const std::u16string& path) {
    auto id = FindKey(db, root, path);
    if (!id && LastError().code == ErrorCode::FileNotFound)
        SetLastError(ErrorCode::InvalidHandle, "registry key was deleted: " + Describe(root, path));
    return id;
}

// Runs change(db, keyId) in a write transaction on an existing key and
// commits when it succeeds; nothing changes otherwise.
template <class Change> bool ChangeKey(RootKey root, const std::u16string& path, Change change) {
    sqlite3* db = Store();
    if (!db)
        return false;
    Transaction t(db, TransactionKind::Write);
    if (!t.Ok())
        return false;
    auto key = FindOpenKey(db, root, path);
    return key && change(db, *key) && t.Commit();
}

// Runs read(db, keyId) in a read transaction on an existing key; nullopt when
// the store, the transaction or the key is not there.
template <class Read>
auto ReadKey(RootKey root, const std::u16string& path, Read read)
    -> decltype(read(nullptr, int64_t{})) {
    sqlite3* db = Store();
    if (!db)
        return std::nullopt;
    Transaction t(db, TransactionKind::Read);
    if (!t.Ok())
        return std::nullopt;
    auto key = FindOpenKey(db, root, path);
    if (!key)
        return std::nullopt;
    return read(db, *key);
}

std::string DwordBytes(uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return out;
}

} // namespace

std::u16string RootKeyName(RootKey root) {
    switch (root) {
    case RootKey::ClassesRoot:
        return u"HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser:
        return u"HKEY_CURRENT_USER";
    case RootKey::LocalMachine:
        return u"HKEY_LOCAL_MACHINE";
    case RootKey::Users:
        return u"HKEY_USERS";
    }
    return u"?";
}

std::optional<RegistryKey> RegistryKey::Create(RootKey root, std::u16string_view path,
                                               KeyDisposition* disposition) {
    std::vector<std::u16string> parts;
    if (!KeyPathParts(root, path, parts))
        return std::nullopt;
    sqlite3* db = Store();
    if (!db)
        return std::nullopt;
    Transaction t(db, TransactionKind::Write);
    if (!t.Ok())
        return std::nullopt;
    int64_t id = RootId(root);
    bool created = false;
    for (const auto& part : parts) {
        std::string folded = Folded(part);
        Statement find(db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
        find.Bind(1, id).Bind(2, folded);
        int rc = find.Step();
        if (rc == SQLITE_ROW) {
            id = find.Int(0);
            created = false;
            continue;
        }
        if (rc != SQLITE_DONE)
            return std::nullopt;
        Statement insert(db, "INSERT INTO keys(parent, name, folded) VALUES (?1, ?2, ?3)");
        insert.Bind(1, id).Bind(2, ToUtf8(part)).Bind(3, folded);
        if (!insert.Run())
            return std::nullopt;
        id = sqlite3_last_insert_rowid(db);
        created = true;
    }
    if (!t.Commit())
        return std::nullopt;
    if (disposition)
        *disposition = created ? KeyDisposition::CreatedNew : KeyDisposition::OpenedExisting;
    return RegistryKey(root, JoinKeyPath(parts));
}

std::optional<RegistryKey> RegistryKey::Open(RootKey root, std::u16string_view path) {
    std::vector<std::u16string> parts;
    if (!KeyPathParts(root, path, parts))
        return std::nullopt;
    sqlite3* db = Store();
    if (!db)
        return std::nullopt;
    std::u16string normal = JoinKeyPath(parts);
    Transaction t(db, TransactionKind::Read);
    if (!t.Ok() || !FindKey(db, root, normal))
        return std::nullopt;
    return RegistryKey(root, normal);
}

bool RegistryKey::Delete(RootKey root, std::u16string_view path) {
    std::vector<std::u16string> parts;
    if (!KeyPathParts(root, path, parts))
        return false;
    if (parts.empty()) {
        SetLastError(ErrorCode::AccessDenied, "a registry root key cannot be deleted");
        return false;
    }
    sqlite3* db = Store();
    if (!db)
        return false;
    Transaction t(db, TransactionKind::Write);
    if (!t.Ok())
        return false;
    auto id = FindKey(db, root, JoinKeyPath(parts));
    if (!id)
        return false;
    // Subkeys and values go with it through the cascading references.
    Statement erase(db, "DELETE FROM keys WHERE id = ?1");
    erase.Bind(1, *id);
    return erase.Run() && t.Commit();
}

bool RegistryKey::SetDword(std::u16string_view name, uint32_t value) {
    return SetValue(name, ValueType::Dword, DwordBytes(value));
}

bool RegistryKey::SetString(std::u16string_view name, std::u16string_view value) {
    std::string bytes;
    bytes.reserve(value.size() * 2 + 2);
    for (char16_t c : value) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.append(2, '\0');
    return SetValue(name, ValueType::String, bytes);
}

bool RegistryKey::SetBinary(std::u16string_view name, std::string_view bytes) {
    return SetValue(name, ValueType::Binary, bytes);
}

bool RegistryKey::SetValue(std::u16string_view name, ValueType type, std::string_view data) {
    if (!ValidType(type)) {
        SetLastError(ErrorCode::InvalidParameter, "unknown registry value type");
        return false;
    }
    if (type == ValueType::Dword && data.size() != 4) {
        SetLastError(ErrorCode::InvalidParameter, "a dword value takes 4 bytes");
        return false;
    }
    return ChangeKey(m_root, m_path, [&](sqlite3* db, int64_t key) {
        // An existing value keeps the case of its name, as on the device.
        Statement upsert(
            db,
            "INSERT INTO vals(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
            "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
        upsert.Bind(1, key).Bind(2, ToUtf8(name)).Bind(3, Folded(name));
        upsert.Bind(4, static_cast<int64_t>(type)).BindBlob(5, data);
        return upsert.Run();
    });
}

std::optional<RegistryValue> RegistryKey::QueryValue(std::u16string_view name) const {
    return ReadKey(m_root, m_path, [&](sqlite3* db, int64_t key) -> std::optional<RegistryValue> {
        Statement get(db, "SELECT name, type, data FROM vals WHERE key = ?1 AND folded = ?2");
        get.Bind(1, key).Bind(2, Folded(name));
        int rc = get.Step();
        if (rc == SQLITE_DONE) {
            SetLastError(ErrorCode::FileNotFound, "registry value \"" + ToUtf8(name) +
                                                      "\" not found in " +
                                                      Describe(m_root, m_path));
            return std::nullopt;
        }
        if (rc != SQLITE_ROW)
            return std::nullopt;
        return RegistryValue{FromUtf8(get.Text(0)), static_cast<ValueType>(get.Int(1)),
                             get.Blob(2)};
    });
}

namespace {

std::optional<RegistryValue> Typed(std::optional<RegistryValue> value, ValueType wanted) {
    if (value && value->type != wanted) {
        SetLastError(ErrorCode::InvalidData, "registry value \"" + ToUtf8(value->name) + "\" is " +
                                                 TypeName(value->type) + ", not " +
                                                 TypeName(wanted));
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<uint32_t> RegistryKey::QueryDword(std::u16string_view name) const {
    auto value = Typed(QueryValue(name), ValueType::Dword);
    if (!value)
        return std::nullopt;
    if (value->data.size() != 4) {
        SetLastError(ErrorCode::InvalidData,
                     "registry dword \"" + ToUtf8(name) + "\" is not 4 bytes long");
        return std::nullopt;
    }
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(value->data[static_cast<size_t>(i)]);
    return v;
}

std::optional<std::u16string> RegistryKey::QueryString(std::u16string_view name) const {
    auto value = Typed(QueryValue(name), ValueType::String);
    if (!value)
        return std::nullopt;
    std::u16string text;
    const std::string& d = value->data;
    for (size_t i = 0; i + 1 < d.size(); i += 2) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(d[i]) |
                                           (static_cast<unsigned char>(d[i + 1]) << 8));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

std::optional<std::string> RegistryKey::QueryBinary(std::u16string_view name) const {
    auto value = Typed(QueryValue(name), ValueType::Binary);
    if (!value)
        return std::nullopt;
    return std::move(value->data);
}

bool RegistryKey::DeleteValue(std::u16string_view name) {
    return ChangeKey(m_root, m_path, [&](sqlite3* db, int64_t key) {
        Statement erase(db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2");
        erase.Bind(1, key).Bind(2, Folded(name));
        if (!erase.Run())
            return false;
        if (sqlite3_changes(db) == 0) {
            SetLastError(ErrorCode::FileNotFound, "registry value \"" + ToUtf8(name) +
                                                      "\" not found in " +
                                                      Describe(m_root, m_path));
            return false;
        }
        return true;
    });
}

std::optional<std::vector<std::u16string>> RegistryKey::SubKeyNames() const {
    return ReadKey(
        m_root, m_path, [](sqlite3* db, int64_t key) -> std::optional<std::vector<std::u16string>> {
            Statement list(db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded");
            list.Bind(1, key);
            std::vector<std::u16string> names;
            int rc;
            while ((rc = list.Step()) == SQLITE_ROW)
                names.push_back(FromUtf8(list.Text(0)));
            if (rc != SQLITE_DONE)
                return std::nullopt;
            return names;
        });
}

std::optional<std::vector<RegistryValue>> RegistryKey::Values() const {
    return ReadKey(
        m_root, m_path, [](sqlite3* db, int64_t key) -> std::optional<std::vector<RegistryValue>> {
            Statement list(db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY folded");
            list.Bind(1, key);
            std::vector<RegistryValue> values;
            int rc;
            while ((rc = list.Step()) == SQLITE_ROW)
                values.push_back(
                    {FromUtf8(list.Text(0)), static_cast<ValueType>(list.Int(1)), list.Blob(2)});
            if (rc != SQLITE_DONE)
                return std::nullopt;
            return values;
        });
}

} // namespace platform
