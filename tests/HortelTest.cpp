#include "Process.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using platform::HKEY_CURRENT_USER;
using platform::RegistryKey;

namespace {

// A device with a registry holding one value, and hortel run against it.
class Hortel : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path transcript = device.Root() / "transcript.txt";

    void SetUp() override {
        fs::create_directories(device.Root() / "Storage Card");
        SetValue(1);
    }

    void SetValue(uint32_t v) {
        auto key = RegistryKey::Create(HKEY_CURRENT_USER, u"Software\\Test");
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->SetDword(u"Value", v));
        platform::RegCloseStore();
    }

    uint32_t Value() {
        auto key = RegistryKey::Open(HKEY_CURRENT_USER, u"Software\\Test");
        auto v = key ? key->QueryDword(u"Value") : std::nullopt;
        platform::RegCloseStore();
        return v.value_or(0);
    }

    std::optional<int> Run(std::vector<std::string> args, const std::string& script = "") {
        e2e::Program p{HORTEL_BIN,
                       std::move(args),
                       {{"CE_ROOT", device.Root().string()},
                        {"CE_REGISTRY", (device.Root() / ".registry").string()},
                        {"CE_BACKEND", "headless"},
                        {"CE_TRANSCRIPT", transcript.string()},
                        {"CE_REBOOT_COMMAND", ""}}};
        if (!script.empty()) {
            e2e::WriteFile((device.Root() / "script.txt").string(), script);
            p.env["CE_SCRIPT"] = (device.Root() / "script.txt").string();
        }
        return e2e::Run(p);
    }

    std::string Transcript() { return e2e::ReadFile(transcript.string()); }
    bool Exists(const char* rel) { return fs::exists(device.Root() / rel); }
};

} // namespace

TEST_F(Hortel, SaveWritesTheBackupAndRemovesTheWorkingFile) {
    // The path has blanks and arrives as several arguments, as from a shell.
    EXPECT_EQ(Run({"s", "\\Storage", "Card\\my", "backup.reg"}), 1);
    EXPECT_TRUE(Exists("Storage Card/my backup.reg"));
    EXPECT_FALSE(Exists("Windows/tempreg0.tmp"));

    SetValue(2);
    EXPECT_EQ(Run({"r", "\\Storage Card\\my backup.reg"}), 1);
    EXPECT_EQ(Value(), 1u);
    EXPECT_TRUE(Exists("Windows/tempreg0.tmp")); // left in place after a restore
    EXPECT_EQ(Transcript().find("dialog open"), std::string::npos);
}

TEST_F(Hortel, SaveAndRestoreInOneGoUseTheSameFile) {
    EXPECT_EQ(Run({"sr", "\\Storage Card\\b.reg"}), 1);
    EXPECT_EQ(Value(), 1u);
    EXPECT_TRUE(Exists("Storage Card/b.reg"));
}

TEST_F(Hortel, TheResetDialogAfterARestore) {
    ASSERT_EQ(Run({"s", "\\Storage Card\\b.reg"}), 1);
    struct Case {
        const char* script;
        int exitCode;
        bool reboot;
    } cases[] = {
        {"click 2\n", 1, false}, // "Abbrechen"
        {"click 1\n", 1, true},  // "Soft-Reset !"
        {"quit\n", 0, false},    // the close request
    };
    for (auto& c : cases) {
        fs::remove(transcript);
        SetValue(7);
        EXPECT_EQ(Run({"rd", "\\Storage Card\\b.reg"}, c.script), c.exitCode) << c.script;
        EXPECT_EQ(Value(), 1u) << c.script;
        std::string t = Transcript();
        EXPECT_NE(t.find("dialog open title=\"Registry restored\" template=1001"),
                  std::string::npos)
            << t;
        EXPECT_EQ(t.find("\nreboot") != std::string::npos, c.reboot) << t;
    }
}

TEST_F(Hortel, CommandLinesThatDoNothing) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{}, 0},
        {{"rd"}, 0},                         // shorter than 3 characters
        {{"srd"}, 0},                        // no blank, so no path
        {{"d", "\\Storage Card\\b.reg"}, 1}, // d without r
        {{"x", "\\Storage Card\\b.reg"}, 1}, // no flag it knows
        {{"R", "\\Storage Card\\b.reg"}, 1}, // flags are lower case
    };
    for (auto& c : cases) {
        SetValue(5);
        EXPECT_EQ(Run(c.args), c.exitCode) << ::testing::PrintToString(c.args);
        EXPECT_EQ(Value(), 5u);
        EXPECT_FALSE(Exists("Storage Card/b.reg"));
    }
}

TEST_F(Hortel, ABadBackupLeavesTheRegistryAlone) {
    e2e::WriteFile((device.Root() / "Storage Card" / "bad.reg").string(), "not a registry");
    SetValue(9);
    EXPECT_EQ(Run({"rd", "\\Storage Card\\bad.reg"}), 1); // no dialog after a failed restore
    EXPECT_EQ(Value(), 9u);
    EXPECT_EQ(Transcript().find("dialog open"), std::string::npos);
    EXPECT_EQ(Run({"r", "\\Storage Card\\missing.reg"}), 1);
    EXPECT_EQ(Value(), 9u);
}
