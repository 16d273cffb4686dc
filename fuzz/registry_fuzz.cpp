// Fuzz target: the registry image check. Each input is restored over a scratch
// store, either as the image itself (first byte odd) or as changes to a valid
// image made at start (first byte even; then records of three offset bytes and
// one value byte, and a shorter last record cuts the image). A restore must fail
// with a reason and leave the store as it was, or succeed with a sound store.
//
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSUITE_FUZZ=ON -DSUITE_TESTS=OFF
//   ninja -C build-fuzz registry_fuzz
//   build-fuzz/fuzz/registry_fuzz -max_total_time=600 fuzz/corpus-registry
#include "platform/error.h"
#include "platform/file.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace platform;

namespace {

constexpr char16_t ValidImage[] = u"\\Windows\\valid.reg";
constexpr char16_t FuzzImage[] = u"\\Windows\\fuzz.reg";

[[noreturn]] void Fault(const char* what) {
    std::fprintf(stderr, "registry_fuzz: %s (last error: %s)\n", what, LastError().message.c_str());
    std::abort();
}

// Every key and value below the roots as text, to see whether a store changed.
void Describe(const RegistryKey& key, std::string& out) {
    out += "[" + ToUtf8(key.Path()) + "]";
    auto values = key.Values();
    auto subKeys = key.SubKeyNames();
    if (!values || !subKeys) {
        out += "unreadable: " + LastError().message;
        return;
    }
    for (const auto& v : *values)
        out += ToUtf8(v.name) + "=" + std::to_string(static_cast<int>(v.type)) + ":" + v.data + ";";
    for (const auto& name : *subKeys) {
        auto child =
            RegistryKey::Open(key.Root(), key.Path().empty() ? name : key.Path() + u"\\" + name);
        if (!child)
            Fault("a listed subkey cannot be opened");
        Describe(*child, out);
    }
}

std::string Contents() {
    std::string out;
    for (RootKey root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        auto key = RegistryKey::Open(root, u"");
        if (!key)
            Fault("a root key cannot be opened");
        Describe(*key, out);
    }
    return out;
}

struct World {
    testing::TempDevice device;
    std::string image;
    World() {
        CreateDirectory(u"\\Windows");
        auto a = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\3SOFT\\Pathfinder");
        auto b = RegistryKey::Create(HKEY_LOCAL_MACHINE, u"Drivers\\Display");
        if (!a || !b || !a->SetDword(u"NaviMode", 2) || !a->SetString(u"Name", u"Route ü") ||
            !b->SetBinary(u"Blob", std::string("\0\1\2", 3)))
            Fault("cannot fill the scratch registry");
        if (!RegCopyFile(ValidImage))
            Fault("cannot write the valid image");
        image = device.Get(ValidImage);
    }
};

World& TheWorld() {
    static World world;
    return world;
}

std::string Mutated(const std::string& image, const uint8_t* data, size_t size) {
    std::string bytes = image;
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        size_t offset = (size_t(data[i]) << 16 | size_t(data[i + 1]) << 8 | data[i + 2]);
        bytes[offset % bytes.size()] = static_cast<char>(data[i + 3]);
    }
    if (i < size)
        bytes.resize((size_t(data[i]) << 8 | (i + 1 < size ? data[i + 1] : 0)) % bytes.size());
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& world = TheWorld();
    if (size == 0)
        return 0;
    std::string bytes = data[0] & 1 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1)
                                    : Mutated(world.image, data + 1, size - 1);
    world.device.Put(FuzzImage, bytes);
    const std::string before = Contents();
    if (!RegRestoreFile(FuzzImage)) {
        if (LastError().code == ErrorCode::None || LastError().message.empty())
            Fault("a failed restore gives no reason");
        if (Contents() != before)
            Fault("a failed restore changed the registry");
        return 0;
    }
    if (auto damage = RegStoreDamage()) {
        std::fprintf(stderr, "registry_fuzz: %s\n", damage->c_str());
        Fault("a restore left a damaged store");
    }
    (void)Contents();
    if (!RegCopyFile(u"\\Windows\\copy.reg"))
        Fault("the restored registry cannot be saved");
    if (!RegRestoreFile(ValidImage) || Contents() == std::string())
        Fault("the valid image no longer restores");
    return 0;
}
