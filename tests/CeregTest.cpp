#include "Process.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class Cereg : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path errors = device.Root() / "stderr.txt";
    fs::path output = device.Root() / "stdout.txt";

    std::optional<int> Run(std::vector<std::string> args) {
        fs::remove(errors);
        fs::remove(output);
        args.insert(args.begin(), CEREG_BIN);
        args.insert(args.begin(), {"-c", "exec \"$0\" \"$@\" >\"$OUT\" 2>\"$ERR\""});
        return e2e::Run({"/bin/sh",
                         std::move(args),
                         {{"CE_ROOT", device.Root().string()},
                          {"CE_REGISTRY", (device.Root() / ".registry").string()},
                          {"CE_BACKEND", "headless"},
                          {"OUT", output.string()},
                          {"ERR", errors.string()}}});
    }
    std::string Errors() { return e2e::ReadFile(errors.string()); }
    std::string Output() { return e2e::ReadFile(output.string()); }
};

} // namespace

TEST_F(Cereg, ADamagedStoreIsNamedAndRepairedByARestore) {
    ASSERT_EQ(Run({"set", "HKCU\\Software\\Test", "Value", "dword", "7"}), 0) << Errors();
    ASSERT_EQ(Run({"save", "\\good.reg"}), 0) << Errors();
    const std::string damaged(8192, 'x');
    e2e::WriteFile((device.Root() / ".registry").string(), damaged);

    EXPECT_EQ(Run({"get", "HKCU\\Software\\Test", "Value"}), 1);
    EXPECT_NE(Errors().find("is damaged (file is not a database)"), std::string::npos) << Errors();
    EXPECT_NE(Errors().find("cereg restore FILE"), std::string::npos) << Errors();

    EXPECT_EQ(Run({"restore", "\\good.reg"}), 0) << Errors();
    EXPECT_NE(Errors().find("kept as"), std::string::npos) << Errors();
    EXPECT_EQ(e2e::ReadFile((device.Root() / ".registry.damaged").string()), damaged);
    EXPECT_EQ(Run({"get", "HKCU\\Software\\Test", "Value"}), 0) << Errors();
    EXPECT_EQ(Output(), "7\n");
}
