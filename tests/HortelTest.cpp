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
    fs::path errors = device.Root() / "stderr.txt";

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

    // The program with the test device's settings; its stderr is collected.
    e2e::Program Program(std::vector<std::string> args, const std::string& script = "") {
        args.insert(args.begin(), HORTEL_BIN);
        args.insert(args.begin(), {"-c", "exec \"$0\" \"$@\" 2>>\"$HORTEL_STDERR\""});
        e2e::Program p{"/bin/sh",
                       std::move(args),
                       {{"CE_ROOT", device.Root().string()},
                        {"CE_REGISTRY", (device.Root() / ".registry").string()},
                        {"CE_BACKEND", "headless"},
                        {"CE_TRANSCRIPT", transcript.string()},
                        {"CE_REBOOT_COMMAND", ""},
                        {"HORTEL_STDERR", errors.string()}}};
        if (!script.empty()) {
            e2e::WriteFile((device.Root() / "script.txt").string(), script);
            p.env["CE_SCRIPT"] = (device.Root() / "script.txt").string();
        }
        return p;
    }

    std::optional<int> Run(std::vector<std::string> args, const std::string& script = "") {
        return e2e::Run(Program(std::move(args), script));
    }

    std::string Transcript() { return e2e::ReadFile(transcript.string()); }
    std::string Errors() { return e2e::ReadFile(errors.string()); }
    std::string Read(const char* rel) { return e2e::ReadFile((device.Root() / rel).string()); }
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

// A save that cannot read the registry must not write the working file left by
// an earlier restore (another registry) over the good backup.
TEST_F(Hortel, AFailedSaveLeavesTheBackupAsItWas) {
    ASSERT_EQ(Run({"s", "\\Storage Card\\b.reg"}), 1);
    const std::string backup = Read("Storage Card/b.reg");
    SetValue(2);
    ASSERT_EQ(Run({"s", "\\Storage Card\\other.reg"}), 1);
    ASSERT_EQ(Run({"r", "\\Storage Card\\other.reg"}), 1);
    ASSERT_TRUE(Exists("Windows/tempreg0.tmp"));

    e2e::WriteFile((device.Root() / ".registry").string(), std::string(8192, 'x'));
    EXPECT_EQ(Run({"s", "\\Storage Card\\b.reg"}), 1);
    EXPECT_TRUE(Read("Storage Card/b.reg") == backup) << "the backup was overwritten";
    EXPECT_NE(Errors().find("registry not saved"), std::string::npos) << Errors();
    EXPECT_NE(Errors().find("damaged"), std::string::npos) << Errors();
}

// The working file a restore leaves behind is no backup: a restore from a file
// that cannot be read must not restore it.
TEST_F(Hortel, ARestoreFromAMissingFileRestoresNothing) {
    ASSERT_EQ(Run({"s", "\\Storage Card\\b.reg"}), 1);
    ASSERT_EQ(Run({"r", "\\Storage Card\\b.reg"}), 1);
    SetValue(2);
    for (const char* flags : {"r", "rd"}) {
        EXPECT_EQ(Run({flags, "\\Storage Card\\missing.reg"}), 1) << flags;
        EXPECT_EQ(Value(), 2u) << flags;
    }
    EXPECT_EQ(Transcript().find("dialog open"), std::string::npos);
    EXPECT_NE(Errors().find("registry not restored from \"\\Storage Card\\missing.reg\""),
              std::string::npos)
        << Errors();
}

// Both share the one working file; each backup must still be whole.
TEST_F(Hortel, TwoSavesAtOnceBothWriteTheirBackups) {
    constexpr int Rounds = 25;
    int missing = 0;
    for (int round = 0; round < Rounds; ++round) {
        fs::remove(device.Root() / "Storage Card" / "a.reg");
        fs::remove(device.Root() / "Storage Card" / "b.reg");
        e2e::ChildProcess a = e2e::Start(Program({"s", "\\Storage Card\\a.reg"}));
        e2e::ChildProcess b = e2e::Start(Program({"s", "\\Storage Card\\b.reg"}));
        auto codeA = a.Wait();
        auto codeB = b.Wait();
        EXPECT_EQ(codeA, 1) << "round " << round;
        EXPECT_EQ(codeB, 1) << "round " << round;
        missing += !Exists("Storage Card/a.reg") + !Exists("Storage Card/b.reg");
    }
    EXPECT_EQ(missing, 0) << "backups missing after " << Rounds << " rounds\n" << Errors();
    EXPECT_FALSE(Exists("Windows/tempreg0.tmp"));
    SetValue(3);
    EXPECT_EQ(Run({"r", "\\Storage Card\\a.reg"}), 1);
    EXPECT_EQ(Value(), 1u);
}

TEST_F(Hortel, APathThatIsNotUtf8IsRefused) {
    EXPECT_EQ(Run({"s", "\\Storage Card\\b\xff\xfe.reg"}), 0);
    EXPECT_TRUE(fs::is_empty(device.Root() / "Storage Card"));
    EXPECT_FALSE(Exists("Windows/tempreg0.tmp"));
    EXPECT_NE(Errors().find("not valid UTF-8"), std::string::npos) << Errors();
}

TEST_F(Hortel, ARestoreRepairsADamagedRegistry) {
    ASSERT_EQ(Run({"s", "\\Storage Card\\b.reg"}), 1);
    const std::string damaged(8192, 'x');
    e2e::WriteFile((device.Root() / ".registry").string(), damaged);
    EXPECT_EQ(Run({"r", "\\Storage Card\\b.reg"}), 1);
    EXPECT_EQ(Value(), 1u) << Errors();
    EXPECT_EQ(Read(".registry.damaged"), damaged); // nothing is lost
}

TEST_F(Hortel, AFailingResetIsReported) {
    ASSERT_EQ(Run({"s", "\\Storage Card\\b.reg"}), 1);
    auto p = Program({"rd", "\\Storage Card\\b.reg"}, "click 1\n");
    p.env["CE_REBOOT_COMMAND"] = "exit 3";
    EXPECT_EQ(e2e::Run(p), 1);
    EXPECT_NE(Transcript().find("\nreboot command=\"exit 3\" exit=3"), std::string::npos)
        << Transcript();
    EXPECT_NE(Errors().find("no soft reset"), std::string::npos) << Errors();
}
