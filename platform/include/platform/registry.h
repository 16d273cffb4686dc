#pragma once
// The device registry: a tree of keys below four roots, each key holding named,
// typed values. Kept in one database beside the device tree (CE_REGISTRY) that
// several programs may use at once; every change is its own transaction.
//
// Key and value names ignore ASCII case, as on the device, and keep the case
// they were created with. Paths separate keys with "\\"; an empty path is the
// root itself. Enumerations are sorted by name, ignoring ASCII case.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RootKey : uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
};
inline constexpr RootKey HKEY_CLASSES_ROOT = RootKey::ClassesRoot;
inline constexpr RootKey HKEY_CURRENT_USER = RootKey::CurrentUser;
inline constexpr RootKey HKEY_LOCAL_MACHINE = RootKey::LocalMachine;
inline constexpr RootKey HKEY_USERS = RootKey::Users;

// "HKEY_CURRENT_USER" and so on.
std::u16string RootKeyName(RootKey root);

// The device's type numbers.
enum class ValueType : uint32_t {
    String = 1, // UTF-16 LE with a terminating zero
    Binary = 3,
    Dword = 4, // 4 bytes, little-endian
};

struct RegistryValue {
    std::u16string name;
    ValueType type = ValueType::Binary;
    std::string data; // raw bytes as the device stores them
};

enum class KeyDisposition { CreatedNew, OpenedExisting };

// A handle names a key by its path; each call finds the key again, so a key
// deleted meanwhile (by this or another program) makes the calls fail with
// InvalidHandle.
class RegistryKey {
public:
    // Opens the key, creating it and any missing parents. Null with LastError
    // (InvalidParameter for a bad path) on failure.
    static std::optional<RegistryKey> Create(RootKey root, std::u16string_view path,
                                             KeyDisposition* disposition = nullptr);
    // Opens an existing key; FileNotFound when it is missing.
    static std::optional<RegistryKey> Open(RootKey root, std::u16string_view path);
    // Deletes the key with all its subkeys and values. Roots cannot be deleted.
    static bool Delete(RootKey root, std::u16string_view path);

    RootKey Root() const { return m_root; }
    // As it was given, with any repeated separators removed.
    const std::u16string& Path() const { return m_path; }

    bool SetDword(std::u16string_view name, uint32_t value);
    bool SetString(std::u16string_view name, std::u16string_view value);
    bool SetBinary(std::u16string_view name, std::string_view bytes);
    // Any type with raw data, e.g. a string value with room after its text.
    bool SetValue(std::u16string_view name, ValueType type, std::string_view data);

    // Missing value: FileNotFound. Wrong type: InvalidData naming both types.
    std::optional<RegistryValue> QueryValue(std::u16string_view name) const;
    std::optional<uint32_t> QueryDword(std::u16string_view name) const;
    // The text up to the first zero character.
    std::optional<std::u16string> QueryString(std::u16string_view name) const;
    std::optional<std::string> QueryBinary(std::u16string_view name) const;

    // FileNotFound when the value is not there.
    bool DeleteValue(std::u16string_view name);

    std::optional<std::vector<std::u16string>> SubKeyNames() const;
    std::optional<std::vector<RegistryValue>> Values() const;

private:
    RegistryKey(RootKey root, std::u16string path) : m_root(root), m_path(std::move(path)) {}
    RootKey m_root;
    std::u16string m_path;
};

// Writes the whole registry to a file in the device tree: a consistent
// snapshot even while other programs write, and never a half-written file.
bool RegCopyFile(std::u16string_view deviceFile);
// Replaces the whole registry with an image written by RegCopyFile, in one
// step: other programs see the old or the new registry, never a mix. A file
// that is not a sound image fails (InvalidData with the reason) and changes
// nothing. A damaged store is replaced by the image and kept aside, beside
// it, as "<store>.damaged" (then "-2", "-3" ...), with its log.
bool RegRestoreFile(std::u16string_view deviceFile);

// What is wrong with the store's file when it is damaged (not when it is
// only busy or missing); nullopt when it is sound.
std::optional<std::string> RegStoreDamage();

// Closes this program's connection to the store; the next call opens it again.
// A process that forks must close it first: the connection must not be shared.
void RegCloseStore();

} // namespace platform
