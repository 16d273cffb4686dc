#include "platform/error.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using platform::testing::TempDevice;

namespace {

void DumpKey(const RegistryKey& key, const std::string& path, std::string& out) {
    out += "[" + path + "]\n";
    for (const auto& v : key.Values().value_or(std::vector<RegistryValue>{})) {
        out += ToUtf8(v.name) + "=" + std::to_string(static_cast<int>(v.type)) + ":";
        for (unsigned char c : v.data) {
            static const char hex[] = "0123456789abcdef";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        out += "\n";
    }
    for (const auto& name : key.SubKeyNames().value_or(std::vector<std::u16string>{})) {
        std::u16string sub = key.Path().empty() ? name : key.Path() + u"\\" + name;
        auto child = RegistryKey::Open(key.Root(), sub);
        if (child)
            DumpKey(*child, path + "\\" + ToUtf8(name), out);
    }
}

// The whole registry as text, to compare states.
std::string Dump() {
    std::string out;
    for (RootKey root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        auto key = RegistryKey::Open(root, u"");
        if (!key)
            return "cannot open root: " + LastError().message;
        DumpKey(*key, ToUtf8(RootKeyName(root)), out);
    }
    return out;
}

void Populate() {
    auto a = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\3SOFT\\Pathfinder\\RouteOptions");
    auto b = RegistryKey::Create(HKEY_LOCAL_MACHINE, u"Drivers\\Display");
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(a->SetDword(u"NaviMode", 2));
    ASSERT_TRUE(a->SetString(u"Name", u"Route ü"));
    ASSERT_TRUE(b->SetBinary(u"Blob", std::string("\0\1\2", 3)));
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(b->SetString(u"Entry" + FromUtf8(std::to_string(i)),
                                 std::u16string(40, u'a' + i % 26)));
}

std::string IntegrityOfStore() {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(Host().registry.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

std::string ForeignDatabase(const std::filesystem::path& path, const char* sql,
                            std::u16string_view device = u"\\Windows\\foreign.db") {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return *ReadFileContents(device);
}

// The image with an SQL change made to it.
std::string Altered(const TempDevice& device, const std::string& image, const char* sql) {
    device.Put(u"\\Windows\\altered.db", image);
    return ForeignDatabase(device.HostPath(u"\\Windows\\altered.db"), sql,
                           u"\\Windows\\altered.db");
}

int64_t MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

} // namespace

TEST(RegistryImage, CopyAndRestoreRoundTrip) {
    TempDevice device;
    ASSERT_TRUE(CreateDirectory(u"\\Windows"));
    Populate();
    const std::string saved = Dump();
    ASSERT_TRUE(RegCopyFile(u"\\Windows\\tempreg0.tmp")) << LastError().message;
    // Only the image is left behind, no temporary files.
    auto files = FindFiles(u"\\Windows\\*");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, u"tempreg0.tmp");

    RegistryKey::Delete(HKEY_LOCAL_MACHINE, u"Drivers");
    RegistryKey::Create(HKEY_USERS, u"New")->SetDword(u"x", 1);
    RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\3SOFT\\Pathfinder\\RouteOptions")
        ->SetDword(u"NaviMode", 9);
    ASSERT_NE(Dump(), saved);

    ASSERT_TRUE(RegRestoreFile(u"\\Windows\\tempreg0.tmp")) << LastError().message;
    EXPECT_EQ(Dump(), saved);
    EXPECT_EQ(IntegrityOfStore(), "ok");
    // The restored registry stays writable and a second copy overwrites the first.
    EXPECT_TRUE(RegistryKey::Create(HKEY_USERS, u"After")->SetDword(u"y", 2));
    EXPECT_TRUE(RegCopyFile(u"\\Windows\\tempreg0.tmp"));
    EXPECT_TRUE(RegRestoreFile(u"\\Windows\\tempreg0.tmp"));
    EXPECT_EQ(RegistryKey::Open(HKEY_USERS, u"After")->QueryDword(u"y"), 2u);

    // The store itself is no target, even where it lies inside the device tree.
    ASSERT_EQ(Host().registry, device.Root() / ".registry");
    EXPECT_FALSE(RegCopyFile(u"\\.registry"));
    EXPECT_EQ(LastError().code, ErrorCode::AccessDenied);
    EXPECT_FALSE(RegRestoreFile(u"\\.registry-wal"));
    EXPECT_EQ(RegistryKey::Open(HKEY_USERS, u"After")->QueryDword(u"y"), 2u);

    EXPECT_FALSE(RegCopyFile(u"\\No Folder\\x.reg"));
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);
    EXPECT_FALSE(RegCopyFile(u"relative.reg"));
}

TEST(RegistryImage, BadImagesFailWithAReasonAndChangeNothing) {
    TempDevice device;
    ASSERT_TRUE(CreateDirectory(u"\\Windows"));
    Populate();
    ASSERT_TRUE(RegCopyFile(u"\\Windows\\good.reg"));
    const std::string good = *ReadFileContents(u"\\Windows\\good.reg");
    ASSERT_GT(good.size(), 8 * 4096u);
    RegistryKey::Create(HKEY_USERS, u"Changed after the copy")->SetDword(u"x", 1);
    const std::string before = Dump();

    std::mt19937 random(7);
    std::string noise(8192, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());

    std::string corrupt = good;
    // Scribble over the page headers of a table's pages in the middle.
    for (size_t page = 3; page < good.size() / 4096; page += 2)
        std::fill_n(corrupt.begin() + static_cast<std::ptrdiff_t>(page * 4096), 12, '\xA5');

    std::string wrongFlag = good;
    wrongFlag[68] = 0; // another application id

    std::filesystem::path foreignPath = device.HostPath(u"\\Windows\\foreign.db");
    const std::string foreign =
        ForeignDatabase(foreignPath, "CREATE TABLE t(a); INSERT INTO t VALUES (1);");
    std::filesystem::remove(foreignPath);
    const std::string lookalike = ForeignDatabase(
        foreignPath,
        "PRAGMA application_id = 1128616519; CREATE TABLE keys(id); CREATE TABLE vals(key);");
    std::filesystem::remove(foreignPath);
    const std::string otherVersion = ForeignDatabase(
        foreignPath,
        "PRAGMA application_id = 1128616519;"
        "CREATE TABLE registry_format(name TEXT PRIMARY KEY, value TEXT NOT NULL);"
        "INSERT INTO registry_format VALUES ('format', 'device registry'), ('version', '2');");

    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "is empty"},
        {"text", "REGEDIT4\r\n[HKEY_CURRENT_USER]\r\n", "not a registry image"},
        {"random bytes", noise, "not a registry image"},
        {"header then noise", "SQLite format 3" + std::string(1, '\0') + noise.substr(16),
         "damaged header"},
        {"truncated", good.substr(0, good.size() / 2), "truncated"},
        {"cut mid-page", good.substr(0, good.size() - 100), "truncated"},
        {"another application", wrongFlag, "not a registry image"},
        {"foreign database", foreign, "not a registry image"},
        {"lookalike database", lookalike, "not a registry image"},
        {"other format version", otherVersion, "version \"2\""},
        {"corrupt pages", corrupt, "damaged"},
        {"name and folded name differ",
         Altered(device, good, "UPDATE keys SET name = 'Dsplay' WHERE name = 'Display'"),
         "damaged key or value names"},
        {"value name not UTF-8",
         Altered(device, good,
                 "UPDATE vals SET name = CAST(x'ff41' AS TEXT), folded = "
                 "CAST(x'ff61' AS TEXT) WHERE name = 'Blob'"),
         "damaged key or value names"},
        {"separator in a key name",
         Altered(device, good,
                 "UPDATE keys SET name = 'a\\b', folded = 'a\\b' "
                 "WHERE name = 'Display'"),
         "damaged key or value names"},
    };
    for (const auto& c : cases) {
        device.Put(u"\\Windows\\bad.reg", c.bytes);
        EXPECT_FALSE(RegRestoreFile(u"\\Windows\\bad.reg")) << c.what;
        EXPECT_EQ(LastError().code, ErrorCode::InvalidData) << c.what;
        EXPECT_NE(LastError().message.find(c.reason), std::string::npos)
            << c.what << ": " << LastError().message;
        EXPECT_EQ(Dump(), before) << c.what;
    }
    EXPECT_FALSE(RegRestoreFile(u"\\Windows\\missing.reg"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_EQ(Dump(), before);
    EXPECT_EQ(IntegrityOfStore(), "ok");

    // The good image still restores after all that.
    EXPECT_TRUE(RegRestoreFile(u"\\Windows\\good.reg")) << LastError().message;
    EXPECT_FALSE(RegistryKey::Open(HKEY_USERS, u"Changed after the copy"));
}

// A writer process makes 10 000 values one transaction at a time while this
// process keeps copying the registry. Every copy must be a state the writer
// passed through: values v1..vk, each vi == i, and a counter of k or k-1.
TEST(RegistryImage, CopiesTakenWhileAnotherProcessWritesAreWholeStates) {
    TempDevice device;
    constexpr uint32_t Writes = 10000;
    ASSERT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, u"Stress"));
    RegCloseStore();
    auto start = std::chrono::steady_clock::now();
    pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        auto key = RegistryKey::Open(HKEY_CURRENT_USER, u"Stress");
        for (uint32_t i = 1; key && i <= Writes; ++i) {
            if (!key->SetDword(u"v" + FromUtf8(std::to_string(i)), i) ||
                !key->SetDword(u"counter", i)) {
                std::fprintf(stderr, "writer: %s\n", LastError().message.c_str());
                _exit(1);
            }
        }
        _exit(key ? 0 : 2);
    }
    std::vector<std::u16string> copies;
    int status = 0;
    while (waitpid(writer, &status, WNOHANG) == 0) {
        std::u16string name = u"\\copy" + FromUtf8(std::to_string(copies.size())) + u".reg";
        ASSERT_TRUE(RegCopyFile(name)) << LastError().message;
        copies.push_back(name);
        usleep(5000);
    }
    auto writeMs = MsSince(start);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed";
    ASSERT_TRUE(RegCopyFile(u"\\final.reg"));
    copies.push_back(u"\\final.reg");

    std::set<uint32_t> distinctStates;
    for (const auto& copy : copies) {
        ASSERT_TRUE(RegRestoreFile(copy)) << ToUtf8(copy) << ": " << LastError().message;
        auto values = RegistryKey::Open(HKEY_CURRENT_USER, u"Stress")->Values();
        ASSERT_TRUE(values);
        uint32_t counter = 0;
        std::vector<bool> seen(Writes + 1);
        uint32_t present = 0;
        for (const auto& v : *values) {
            uint32_t data = 0;
            std::memcpy(&data, v.data.data(), 4);
            if (v.name == u"counter") {
                counter = data;
                continue;
            }
            uint32_t index = static_cast<uint32_t>(std::stoul(ToUtf8(v.name.substr(1))));
            ASSERT_EQ(data, index) << ToUtf8(copy);
            seen[index] = true;
            ++present;
        }
        for (uint32_t i = 1; i <= present; ++i)
            ASSERT_TRUE(seen[i]) << ToUtf8(copy) << " misses v" << i << " of " << present;
        ASSERT_TRUE(counter == present || counter + 1 == present)
            << ToUtf8(copy) << ": counter " << counter << " with " << present << " values";
        distinctStates.insert(present * 2 + (counter == present));
    }
    EXPECT_EQ(RegistryKey::Open(HKEY_CURRENT_USER, u"Stress")->QueryDword(u"counter"), Writes);
    std::printf("[ figures  ] %zu copies (%zu distinct states) during %u+%u writes in %lld ms, "
                "all consistent\n",
                copies.size(), distinctStates.size(), Writes, Writes,
                static_cast<long long>(writeMs));
    EXPECT_GT(distinctStates.size(), 5u) << "the copies did not overlap the writes";
}

// A process restoring is killed at many moments; the registry must always be
// the old one or the new one, and sound.
TEST(RegistryImage, KilledRestoreLeavesTheOldOrTheNewRegistry) {
    TempDevice device;
    auto build = [](const char16_t* image, int count) {
        RegistryKey::Delete(HKEY_CURRENT_USER, u"Image");
        auto key = RegistryKey::Create(HKEY_CURRENT_USER, std::u16string(u"Image\\") + image);
        ASSERT_TRUE(key);
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(key->SetString(FromUtf8(std::to_string(i)), std::u16string(30, image[0])));
    };
    build(u"A", 3000);
    ASSERT_TRUE(RegCopyFile(u"\\A.reg"));
    const std::string dumpA = Dump();
    build(u"B", 4000);
    ASSERT_TRUE(RegCopyFile(u"\\B.reg"));
    const std::string dumpB = Dump();

    ASSERT_TRUE(RegRestoreFile(u"\\A.reg"));
    ASSERT_EQ(Dump(), dumpA);

    // How long a restoring child takes from fork to exit, to aim the kills.
    auto restoreInChild = [](const char16_t* image) {
        RegCloseStore();
        pid_t child = fork();
        if (child == 0)
            _exit(RegRestoreFile(image) ? 0 : 1);
        return child;
    };
    auto t0 = std::chrono::steady_clock::now();
    pid_t probe = restoreInChild(u"\\B.reg");
    ASSERT_GE(probe, 0);
    int probeStatus = 0;
    waitpid(probe, &probeStatus, 0);
    const auto childUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    ASSERT_TRUE(WIFEXITED(probeStatus) && WEXITSTATUS(probeStatus) == 0);
    ASSERT_EQ(Dump(), dumpB);

    constexpr int Kills = 60;
    bool isA = false;
    int keptOld = 0, tookNew = 0;
    std::mt19937 random(11);
    for (int i = 0; i < Kills; ++i) {
        pid_t child = restoreInChild(isA ? u"\\B.reg" : u"\\A.reg");
        ASSERT_GE(child, 0);
        usleep(static_cast<useconds_t>(random() % static_cast<uint64_t>(childUs * 5 / 4 + 1)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_EQ(IntegrityOfStore(), "ok") << "kill " << i;
        std::string now = Dump();
        bool nowA = now == dumpA;
        ASSERT_TRUE(nowA || now == dumpB) << "kill " << i << " left a mixed registry";
        (nowA == isA ? keptOld : tookNew)++;
        isA = nowA;
    }
    std::printf("[ figures  ] %d kills of restoring children (~%lld us each): %d kept the old "
                "registry, %d had the new one, none mixed or damaged\n",
                Kills, static_cast<long long>(childUs), keptOld, tookNew);
    // Both outcomes must occur, or the kills did not land inside restores.
    EXPECT_GT(keptOld, 0);
    EXPECT_GT(tookNew, 0);
}

// A store whose file is damaged cannot be used; restoring a good image must
// still work, and the damaged file is kept beside it.
TEST(RegistryImage, RestoreReplacesADamagedStoreAndKeepsIt) {
    TempDevice device;
    ASSERT_TRUE(CreateDirectory(u"\\Windows"));
    Populate();
    const std::string saved = Dump();
    ASSERT_TRUE(RegCopyFile(u"\\Windows\\good.reg"));
    RegCloseStore();
    const std::string sound = device.Get(u"\\.registry");
    ASSERT_GT(sound.size(), 8 * 4096u);

    std::string scribbled = sound;
    for (size_t page = 1; page < sound.size() / 4096; ++page)
        std::fill_n(scribbled.begin() + static_cast<std::ptrdiff_t>(page * 4096), 12, '\xA5');
    struct Case {
        const char* what;
        std::string bytes;
        const char16_t* keptAs;
    } cases[] = {
        {"not a database", std::string(8192, 'x'), u"\\.registry.damaged"},
        {"damaged pages", scribbled, u"\\.registry.damaged-2"},
    };
    for (const auto& c : cases) {
        device.Put(u"\\.registry", c.bytes);
        auto key = RegistryKey::Open(HKEY_LOCAL_MACHINE, u"Drivers\\Display");
        EXPECT_FALSE(key && key->Values()) << c.what;
        EXPECT_NE(
            LastError().message.find("registry store " + Host().registry.string() + " is damaged"),
            std::string::npos)
            << c.what << ": " << LastError().message;
        EXPECT_TRUE(RegStoreDamage()) << c.what;

        EXPECT_TRUE(RegRestoreFile(u"\\Windows\\good.reg"))
            << c.what << ": " << LastError().message;
        EXPECT_EQ(Dump(), saved) << c.what;
        EXPECT_EQ(IntegrityOfStore(), "ok") << c.what;
        EXPECT_FALSE(RegStoreDamage()) << c.what;
        EXPECT_TRUE(RegistryKey::Create(HKEY_USERS, u"After")->SetDword(u"x", 1)) << c.what;
        RegCloseStore();
        EXPECT_TRUE(device.Get(c.keptAs) == c.bytes) << c.what << ": not kept"; // nothing is lost
    }
}
