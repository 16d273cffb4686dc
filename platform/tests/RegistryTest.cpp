#include "platform/registry.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>

using namespace platform;
using platform::testing::TempDevice;
using platform::testing::Utf16File;

namespace {

std::vector<std::u16string> ValueNames(const RegistryKey& key) {
    std::vector<std::u16string> names;
    for (const auto& v : key.Values().value_or(std::vector<RegistryValue>{}))
        names.push_back(v.name);
    return names;
}

} // namespace

TEST(Registry, ValuesRoundTripByType) {
    TempDevice device;
    auto key = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\Lokaro");
    ASSERT_TRUE(key) << LastError().message;

    EXPECT_TRUE(key->SetDword(u"Zero", 0));
    EXPECT_TRUE(key->SetDword(u"Max", 0xFFFFFFFFu));
    EXPECT_TRUE(key->SetString(u"Text", u"Grüße € \U0001F600"));
    EXPECT_TRUE(key->SetString(u"Empty", u""));
    const std::string bytes("\x00\x01\xFF\x00z", 5);
    EXPECT_TRUE(key->SetBinary(u"Bytes", bytes));
    EXPECT_TRUE(key->SetBinary(u"", ""));

    EXPECT_EQ(key->QueryDword(u"Zero"), 0u);
    EXPECT_EQ(key->QueryDword(u"Max"), 0xFFFFFFFFu);
    EXPECT_EQ(key->QueryString(u"Text"), u"Grüße € \U0001F600");
    EXPECT_EQ(key->QueryString(u"Empty"), u"");
    EXPECT_EQ(key->QueryBinary(u"Bytes"), bytes);
    EXPECT_EQ(key->QueryBinary(u""), "");

    // Stored as the device stores them: little-endian dword, terminated UTF-16.
    EXPECT_EQ(key->QueryValue(u"Max")->data, std::string("\xFF\xFF\xFF\xFF"));
    EXPECT_EQ(key->QueryValue(u"Zero")->type, ValueType::Dword);
    EXPECT_EQ(key->QueryValue(u"Empty")->data, std::string(2, '\0'));

    // A flag-like string value: a fixed-size field whose text ends early.
    std::string field = Utf16File(u"\\Windows\\lokaro.exe", false) + std::string(2, '\0');
    field.resize(162, 'x');
    EXPECT_TRUE(key->SetValue(u"Lokaro_Route", ValueType::String, field));
    EXPECT_EQ(key->QueryValue(u"Lokaro_Route")->data.size(), 162u);
    EXPECT_EQ(key->QueryString(u"Lokaro_Route"), u"\\Windows\\lokaro.exe");

    // Overwriting may change the type.
    EXPECT_TRUE(key->SetString(u"Zero", u"now text"));
    EXPECT_EQ(key->QueryString(u"Zero"), u"now text");

    // A bad dword size or type is refused rather than stored.
    EXPECT_FALSE(key->SetValue(u"Bad", ValueType::Dword, "abc"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
    EXPECT_FALSE(key->SetValue(u"Bad", static_cast<ValueType>(7), "abc"));
    EXPECT_FALSE(key->QueryValue(u"Bad"));
}

TEST(Registry, MissingValuesAndWrongTypesFailWithAReason) {
    TempDevice device;
    auto key = RegistryKey::Create(HKEY_CURRENT_USER, u"Software");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetDword(u"Count", 3));
    ASSERT_TRUE(key->SetString(u"Name", u"x"));

    EXPECT_FALSE(key->QueryDword(u"Missing"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_NE(LastError().message.find("Missing"), std::string::npos) << LastError().message;
    EXPECT_FALSE(key->QueryValue(u"Missing"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);

    EXPECT_FALSE(key->QueryString(u"Count"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);
    EXPECT_NE(LastError().message.find("dword, not string"), std::string::npos)
        << LastError().message;
    EXPECT_FALSE(key->QueryDword(u"Name"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);
    EXPECT_FALSE(key->QueryBinary(u"Name"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidData);

    EXPECT_FALSE(key->DeleteValue(u"Missing"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_TRUE(key->DeleteValue(u"count"));
    EXPECT_FALSE(key->QueryDword(u"Count"));
    EXPECT_EQ(key->QueryString(u"Name"), u"x");
}

TEST(Registry, KeyAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    TempDevice device;
    KeyDisposition disposition{};
    auto created =
        RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\3SOFT\\Pathfinder", &disposition);
    ASSERT_TRUE(created);
    EXPECT_EQ(disposition, KeyDisposition::CreatedNew);

    auto again =
        RegistryKey::Create(HKEY_CURRENT_USER, u"SOFTWARE\\3soft\\PATHFINDER", &disposition);
    ASSERT_TRUE(again);
    EXPECT_EQ(disposition, KeyDisposition::OpenedExisting);
    ASSERT_TRUE(again->SetDword(u"NaviMode", 2));

    auto opened = RegistryKey::Open(HKEY_CURRENT_USER, u"software\\3Soft\\pathFinder");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->QueryDword(u"NAVIMODE"), 2u);
    EXPECT_TRUE(opened->SetDword(u"navimode", 3));
    EXPECT_EQ(ValueNames(*opened), std::vector<std::u16string>{u"NaviMode"});
    EXPECT_EQ(created->QueryDword(u"NaviMode"), 3u);

    auto software = RegistryKey::Open(HKEY_CURRENT_USER, u"Software");
    ASSERT_TRUE(software);
    EXPECT_EQ(software->SubKeyNames(), std::vector<std::u16string>{u"3SOFT"});

    // Only ASCII letters fold, as on the device.
    ASSERT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, u"Ärger"));
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, u"äRGER"));
    EXPECT_TRUE(RegistryKey::Open(HKEY_CURRENT_USER, u"ÄRGER"));
}

TEST(Registry, PathsRootsAndMissingKeys) {
    TempDevice device;
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Missing"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);

    // Stray separators do not make empty key names.
    auto key = RegistryKey::Create(HKEY_LOCAL_MACHINE, u"\\A\\\\B\\");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->Path(), u"A\\B");
    EXPECT_TRUE(RegistryKey::Open(HKEY_LOCAL_MACHINE, u"A\\B"));

    // Each root is its own tree.
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, u"A"));
    EXPECT_FALSE(RegistryKey::Open(HKEY_CLASSES_ROOT, u"A"));
    EXPECT_FALSE(RegistryKey::Open(HKEY_USERS, u"A"));

    // The root itself is a key.
    auto root = RegistryKey::Open(HKEY_LOCAL_MACHINE, u"");
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->SetDword(u"AtRoot", 1));
    EXPECT_EQ(root->SubKeyNames(), std::vector<std::u16string>{u"A"});

    EXPECT_FALSE(RegistryKey::Create(HKEY_CURRENT_USER, std::u16string(256, u'k')));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
    EXPECT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, std::u16string(255, u'k')));
    EXPECT_FALSE(RegistryKey::Open(static_cast<RootKey>(0x80000007), u"A"));
}

TEST(Registry, DeletingAKeyTakesItsSubtreeAndNothingElse) {
    TempDevice device;
    auto deep = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\Lokaro\\RouteOptions\\Deep");
    auto sibling = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\Other");
    auto options = RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Lokaro\\RouteOptions");
    ASSERT_TRUE(deep && sibling && options);
    ASSERT_TRUE(deep->SetDword(u"A", 1));
    ASSERT_TRUE(options->SetDword(u"NaviMode_1", 1));
    ASSERT_TRUE(sibling->SetDword(u"Keep", 7));

    EXPECT_TRUE(RegistryKey::Delete(HKEY_CURRENT_USER, u"software\\LOKARO"));
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Lokaro"));
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Lokaro\\RouteOptions\\Deep"));
    EXPECT_EQ(sibling->QueryDword(u"Keep"), 7u);

    // Handles to deleted keys go stale instead of bringing the key back.
    EXPECT_FALSE(deep->SetDword(u"B", 2));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidHandle);
    EXPECT_FALSE(options->QueryDword(u"NaviMode_1"));
    EXPECT_EQ(LastError().code, ErrorCode::InvalidHandle);
    EXPECT_FALSE(options->Values());

    // Recreated, the key starts empty.
    auto fresh = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\Lokaro\\RouteOptions\\Deep");
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->Values()->empty());
    EXPECT_TRUE(options->Values()->empty());
    EXPECT_TRUE(
        RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Lokaro\\RouteOptions")->SubKeyNames() ==
        std::vector<std::u16string>{u"Deep"});

    EXPECT_FALSE(RegistryKey::Delete(HKEY_CURRENT_USER, u"Software\\Nothing"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_FALSE(RegistryKey::Delete(HKEY_CURRENT_USER, u""));
    EXPECT_EQ(LastError().code, ErrorCode::AccessDenied);
}

TEST(Registry, EnumerationIsSortedIgnoringCase) {
    TempDevice device;
    auto key = RegistryKey::Create(HKEY_CURRENT_USER, u"Enum");
    ASSERT_TRUE(key);
    for (auto name : {u"gamma", u"Alpha", u"beta", u"Beta2"})
        ASSERT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, std::u16string(u"Enum\\") + name));
    EXPECT_EQ(key->SubKeyNames(),
              (std::vector<std::u16string>{u"Alpha", u"beta", u"Beta2", u"gamma"}));

    ASSERT_TRUE(key->SetDword(u"zeta", 1));
    ASSERT_TRUE(key->SetString(u"Eta", u"e"));
    ASSERT_TRUE(key->SetBinary(u"delta", "d"));
    auto values = key->Values();
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 3u);
    EXPECT_EQ((*values)[0].name, u"delta");
    EXPECT_EQ((*values)[0].type, ValueType::Binary);
    EXPECT_EQ((*values)[0].data, "d");
    EXPECT_EQ((*values)[1].name, u"Eta");
    EXPECT_EQ((*values)[2].name, u"zeta");
    EXPECT_EQ((*values)[2].type, ValueType::Dword);

    auto empty = RegistryKey::Open(HKEY_CURRENT_USER, u"Enum\\Alpha");
    EXPECT_TRUE(empty->SubKeyNames()->empty());
    EXPECT_TRUE(empty->Values()->empty());
}

TEST(Registry, StoreLivesInTheHostFileAndFollowsTheSettings) {
    std::filesystem::path firstStore;
    {
        TempDevice device;
        firstStore = Host().registry;
        ASSERT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, u"Persist")->SetDword(u"v", 42));
        EXPECT_TRUE(std::filesystem::exists(firstStore));
        // A new connection finds what the last one wrote.
        RegCloseStore();
        EXPECT_EQ(RegistryKey::Open(HKEY_CURRENT_USER, u"Persist")->QueryDword(u"v"), 42u);
    }
    TempDevice other;
    EXPECT_NE(Host().registry, firstStore);
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, u"Persist"));

    // An unusable store location fails with a reason instead of crashing.
    HostSettings h = Host();
    h.registry = other.Root() / "no such folder" / "registry";
    Initialize(h);
    EXPECT_FALSE(RegistryKey::Create(HKEY_CURRENT_USER, u"X"));
    EXPECT_NE(LastError().code, ErrorCode::None);
    EXPECT_NE(LastError().message.find("registry"), std::string::npos) << LastError().message;
}

// Another program in the middle of a long write (a restore) must not stop
// anyone from reading or copying the registry; only writers wait.
TEST(Registry, ReadersDoNotWaitForAWriter) {
    TempDevice device;
    ASSERT_TRUE(CreateDirectory(u"\\Windows"));
    auto created = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\Test");
    ASSERT_TRUE(created && created->SetDword(u"Value", 1));
    RegCloseStore();

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(Host().registry.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN IMMEDIATE; UPDATE vals SET data = x'02000000'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(writer);
    auto start = std::chrono::steady_clock::now();
    auto key = RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Test");
    ASSERT_TRUE(key) << LastError().message;
    EXPECT_EQ(key->QueryDword(u"Value"), 1u); // what was committed
    EXPECT_TRUE(RegCopyFile(u"\\Windows\\copy.reg")) << LastError().message;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    EXPECT_LT(ms, 2000) << "the readers waited for the writer";
    EXPECT_EQ(sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(writer);
    EXPECT_EQ(key->QueryDword(u"Value"), 2u);
    EXPECT_TRUE(key->SetDword(u"Value", 3)) << LastError().message;
}
