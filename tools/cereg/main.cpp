// cereg: look at and change the device registry from the host shell, with the
// same host settings (CE_ROOT, CE_REGISTRY) as the programs.
#include "platform/error.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace platform;

namespace {

const char* const Usage =
    "usage: cereg dump [KEY]\n"
    "       cereg get KEY NAME\n"
    "       cereg set KEY NAME dword|string|binary VALUE\n"
    "       cereg delete KEY [NAME]\n"
    "       cereg save FILE\n"
    "       cereg restore FILE\n"
    "KEY is ROOT\\path\\to\\key, ROOT one of HKEY_CLASSES_ROOT (HKCR), HKEY_CURRENT_USER (HKCU),\n"
    "HKEY_LOCAL_MACHINE (HKLM), HKEY_USERS (HKU). FILE is a device path (\\Windows\\backup.reg).\n"
    "A dword VALUE is decimal or 0x-hex, a binary VALUE hex digits (0a1bff).\n"
    "The registry is CE_REGISTRY, by default beside the device tree CE_ROOT.\n";

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

int Fail(const std::string& what) {
    std::fprintf(stderr, "cereg: %s: %s\n", what.c_str(), LastError().message.c_str());
    // The failure may be only a symptom; say what is wrong and how to mend it.
    if (auto damage = RegStoreDamage())
        std::fprintf(stderr,
                     "cereg: the registry store %s is damaged (%s); \"cereg restore FILE\" "
                     "replaces it with a saved image and keeps the damaged file beside it\n",
                     Host().registry.c_str(), damage->c_str());
    return ExitFailure;
}

int BadUsage(const std::string& why) {
    std::fprintf(stderr, "cereg: %s\n%s", why.c_str(), Usage);
    return ExitUsage;
}

struct KeyName {
    RootKey root;
    std::u16string path;
};

bool ParseKey(const std::string& text, KeyName& key) {
    static const struct {
        const char* longName;
        const char* shortName;
        RootKey root;
    } roots[] = {
        {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", "HKU", HKEY_USERS},
    };
    std::u16string all = FromUtf8(text);
    size_t cut = all.find(u'\\');
    std::u16string first = all.substr(0, cut);
    for (const auto& r : roots) {
        if (EqualsIgnoreAsciiCase(first, FromUtf8(r.longName)) ||
            EqualsIgnoreAsciiCase(first, FromUtf8(r.shortName))) {
            key.root = r.root;
            key.path = cut == std::u16string::npos ? std::u16string() : all.substr(cut + 1);
            return true;
        }
    }
    return false;
}

std::string Hex(const std::string& bytes, const char* separator) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            out += separator;
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

uint32_t DwordOf(const std::string& data) {
    uint32_t v = 0;
    for (size_t i = data.size(); i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(data[i]);
    return v;
}

std::u16string TextOf(const std::string& data) {
    std::u16string text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                           (static_cast<unsigned char>(data[i + 1]) << 8));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

std::string Quoted(std::u16string_view text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// One line per value, in the style of registry export files.
std::string Describe(const RegistryValue& v) {
    std::string name = v.name.empty() ? "@" : Quoted(v.name);
    switch (v.type) {
    case ValueType::Dword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08x", DwordOf(v.data));
        return name + "=dword:" + buf;
    }
    case ValueType::String:
        return name + "=" + Quoted(TextOf(v.data));
    case ValueType::Binary:
        return name + "=hex:" + Hex(v.data, ",");
    }
    return name + "=hex(" + std::to_string(static_cast<uint32_t>(v.type)) + "):" + Hex(v.data, ",");
}

bool DumpKey(const RegistryKey& key, const std::string& shownPath) {
    auto values = key.Values();
    auto subKeys = key.SubKeyNames();
    if (!values || !subKeys)
        return false;
    std::printf("[%s]\n", shownPath.c_str());
    for (const auto& v : *values)
        std::printf("%s\n", Describe(v).c_str());
    std::printf("\n");
    for (const auto& name : *subKeys) {
        std::u16string path = key.Path().empty() ? name : key.Path() + u"\\" + name;
        auto child = RegistryKey::Open(key.Root(), path);
        if (!child || !DumpKey(*child, shownPath + "\\" + ToUtf8(name)))
            return false;
    }
    return true;
}

int Dump(const std::vector<std::string>& args) {
    std::vector<KeyName> keys;
    if (args.empty()) {
        for (RootKey r : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS})
            keys.push_back({r, u""});
    } else {
        KeyName k{};
        if (!ParseKey(args[0], k))
            return BadUsage("unknown root key in \"" + args[0] + "\"");
        keys.push_back(k);
    }
    for (const auto& k : keys) {
        auto key = RegistryKey::Open(k.root, k.path);
        std::string shown = ToUtf8(RootKeyName(k.root)) +
                            (k.path.empty() ? "" : "\\" + ToUtf8(key ? key->Path() : k.path));
        if (!key || !DumpKey(*key, shown))
            return Fail(shown);
    }
    return 0;
}

bool ParseDword(const std::string& text, uint32_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(
        text.c_str(), &end, text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 16 : 10);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull)
        return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ParseHex(const std::string& text, std::string& bytes) {
    std::string digits;
    for (char c : text)
        if (c != ',' && c != ' ' && c != ':')
            digits += c;
    if (digits.size() % 2 != 0)
        return false;
    auto nibble = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < digits.size(); i += 2) {
        int hi = nibble(digits[i]), lo = nibble(digits[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

int Set(const std::vector<std::string>& args) {
    if (args.size() != 4)
        return BadUsage("set takes KEY NAME TYPE VALUE");
    KeyName k{};
    if (!ParseKey(args[0], k))
        return BadUsage("unknown root key in \"" + args[0] + "\"");
    std::u16string name = FromUtf8(args[1]);
    const std::string& type = args[2];
    const std::string& text = args[3];
    uint32_t dword = 0;
    std::string bytes;
    if (type == "dword" && !ParseDword(text, dword))
        return BadUsage("\"" + text + "\" is not a dword (0 to 4294967295, or 0x-hex)");
    if (type == "binary" && !ParseHex(text, bytes))
        return BadUsage("\"" + text + "\" is not a row of hex bytes");
    if (type != "dword" && type != "string" && type != "binary")
        return BadUsage("unknown value type \"" + type + "\"");
    auto key = RegistryKey::Create(k.root, k.path);
    if (!key)
        return Fail("create key " + args[0]);
    bool ok = type == "dword"    ? key->SetDword(name, dword)
              : type == "string" ? key->SetString(name, FromUtf8(text))
                                 : key->SetBinary(name, bytes);
    return ok ? 0 : Fail("set " + args[1]);
}

int Get(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return BadUsage("get takes KEY NAME");
    KeyName k{};
    if (!ParseKey(args[0], k))
        return BadUsage("unknown root key in \"" + args[0] + "\"");
    auto key = RegistryKey::Open(k.root, k.path);
    if (!key)
        return Fail(args[0]);
    auto value = key->QueryValue(FromUtf8(args[1]));
    if (!value)
        return Fail(args[1]);
    switch (value->type) {
    case ValueType::Dword:
        std::printf("%u\n", DwordOf(value->data));
        break;
    case ValueType::String:
        std::printf("%s\n", ToUtf8(TextOf(value->data)).c_str());
        break;
    default:
        std::printf("%s\n", Hex(value->data, "").c_str());
        break;
    }
    return 0;
}

int Delete(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2)
        return BadUsage("delete takes KEY [NAME]");
    KeyName k{};
    if (!ParseKey(args[0], k))
        return BadUsage("unknown root key in \"" + args[0] + "\"");
    if (args.size() == 1)
        return RegistryKey::Delete(k.root, k.path) ? 0 : Fail("delete " + args[0]);
    auto key = RegistryKey::Open(k.root, k.path);
    if (!key)
        return Fail(args[0]);
    return key->DeleteValue(FromUtf8(args[1])) ? 0 : Fail("delete " + args[1]);
}

int Run(std::vector<std::string> args) {
    if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        std::fputs(Usage, args.empty() ? stderr : stdout);
        return args.empty() ? ExitUsage : 0;
    }
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "dump") {
        if (args.size() > 1)
            return BadUsage("dump takes at most one KEY");
        return Dump(args);
    }
    if (command == "set")
        return Set(args);
    if (command == "get")
        return Get(args);
    if (command == "delete")
        return Delete(args);
    if (command == "save" || command == "restore") {
        if (args.size() != 1)
            return BadUsage(command + " takes one FILE");
        std::u16string file = FromUtf8(args[0]);
        bool ok = command == "save" ? RegCopyFile(file) : RegRestoreFile(file);
        return ok ? 0 : Fail(command + " " + args[0]);
    }
    return BadUsage("unknown command \"" + command + "\"");
}

} // namespace

int main(int argc, char** argv) {
    Initialize(ReadHostSettings(u"\\Windows\\cereg.exe"));
    int rc = Run(std::vector<std::string>(argv + 1, argv + argc));
    // Closing checkpoints the log, so no side files stay beside the registry.
    RegCloseStore();
    return rc;
}
