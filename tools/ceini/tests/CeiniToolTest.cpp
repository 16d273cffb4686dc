// The real ceini, as a user runs it after editing a skin in a Linux editor.
#include "platform/testing/child_process.h"
#include "platform/testing/temp_device.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using platform::testing::ChildProcess;

namespace {

class Ceini : public ::testing::Test {
protected:
    platform::testing::TempDevice device;
    fs::path out = device.Root() / "out.txt";

    std::optional<int> Run(std::vector<std::string> args, const std::string& shell = {}) {
        platform::testing::ProcessSpec command{
            CEINI_BIN, std::move(args), {}, out.string(), out.string()};
        if (!shell.empty()) // a recipe, run by the shell as printed
            command = {"/bin/bash",
                       {"-c", shell},
                       {{"PATH", fs::path(CEINI_BIN).parent_path().string() + ":/usr/bin:/bin"}},
                       out.string(),
                       out.string()};
        command.env["CE_ROOT"] = device.Root().string();
        ChildProcess process(command);
        return process.Wait(std::chrono::seconds(30));
    }
    std::string Output() { return Read(out); }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
};

const std::string EditedSkin = "[AnalogMetrics]\nRadius = 90\n\n[AnalogColors]\n"
                               "Needle = 0000FF\n# für die Nacht\n";

TEST_F(Ceini, AnEditedSkinGoesToTheDeviceFormInPlaceAndBackForEditing) {
    const fs::path skin = device.Root() / "Nacht.ini";
    Write(skin, EditedSkin);
    EXPECT_EQ(Run({"check", "--as", "Speedo", skin.string()}), 1) << "UTF-8 is refused";
    EXPECT_NE(Output().find("nicht im Unicode Format"), std::string::npos) << Output();
    EXPECT_NE(Output().find("ceini utf16"), std::string::npos) << Output();

    fs::permissions(skin, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Run({"utf16", "--as", "Speedo", skin.string()}), 0) << Output();
    EXPECT_EQ(fs::status(skin).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << "replaced in place, the file keeps its permissions";
    const std::string device16 = Read(skin);
    ASSERT_GE(device16.size(), 4u);
    EXPECT_EQ(device16.substr(0, 4), std::string("\xFF\xFE[\0", 4));
    EXPECT_NE(device16.find(std::string("9\0"
                                        "0\0\r\0\n\0",
                                        8)),
              std::string::npos);
    EXPECT_NE(Output().find("ok (Speedo)"), std::string::npos) << Output();

    EXPECT_EQ(Run({"utf16", skin.string()}), 0) << Output();
    EXPECT_NE(Output().find("left as it was"), std::string::npos) << Output();
    EXPECT_EQ(Read(skin), device16);

    const fs::path text = device.Root() / "Nacht.txt";
    EXPECT_EQ(Run({"utf8", skin.string(), text.string()}), 0) << Output();
    EXPECT_EQ(Read(text), EditedSkin);
    EXPECT_EQ(Read(skin), device16) << "with OUT the file itself stays";
}

TEST_F(Ceini, EveryReportIsPrintedWithTheFileAndTheExitSaysSo) {
    const fs::path gps = device.Root() / "GPS.ini";
    Write(gps, "[GPS-Settings]\nComPort = 1\nBaudrate = 4800\nAnyTalker = y\n");
    EXPECT_EQ(Run({"utf16", "--as", "gps", gps.string()}), 1) << Output();
    EXPECT_NE(Output().find(gps.string() +
                            ": IniParser - Ignoriere unbekanntes Attribut: Zeile 3: \"Baudrate = "
                            "4800\""),
              std::string::npos)
        << Output();
    EXPECT_EQ(Read(gps).substr(0, 2), "\xFF\xFE") << "the conversion itself is done";
}

TEST_F(Ceini, BadInputChangesNothingAndSaysWhy) {
    const fs::path latin = device.Root() / "latin.ini";
    Write(latin, "[Settings]\nFont = M\xFCller\n");
    EXPECT_EQ(Run({"utf16", latin.string()}), 1);
    EXPECT_NE(Output().find("line 2 is not UTF-8"), std::string::npos) << Output();
    EXPECT_EQ(Read(latin), "[Settings]\nFont = M\xFCller\n");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"convert", "x"},
                                               {"check"},
                                               {"utf8", "--as", "gps", "x"},
                                               {"check", "--as", "Skin", latin.string()},
                                               {"utf16", "a", "b", "c"}}) {
        EXPECT_EQ(Run(args), 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(Output().find("usage: ceini"), std::string::npos) << Output();
    }
    EXPECT_EQ(Run({"utf8", (device.Root() / "none.ini").string()}), 1);
    EXPECT_NE(Output().find("cannot read"), std::string::npos) << Output();
    const fs::path good = device.Root() / "good.txt";
    Write(good, EditedSkin);
    EXPECT_EQ(Run({"utf16", good.string(), (device.Root() / "no folder" / "x.ini").string()}), 1);
    EXPECT_NE(Output().find("cannot write"), std::string::npos) << Output();
    EXPECT_FALSE(fs::exists(device.Root() / "no folder"));
}

// The shell recipes in the README for machines without ceini, both ways.
TEST_F(Ceini, TheIconvRecipesWriteWhatCeiniWrites) {
    Write(device.Root() / "skin.txt", EditedSkin);
    ASSERT_EQ(Run({}, "cd '" + device.Root().string() +
                          "' && { printf '\\xff\\xfe'; sed 's/$/\\r/' skin.txt | iconv -f UTF-8 "
                          "-t UTF-16LE; } > skin.ini && ceini check --as Speedo skin.ini"),
              0)
        << Output();
    const fs::path viaTool = device.Root() / "tool.ini";
    ASSERT_EQ(Run({"utf16", (device.Root() / "skin.txt").string(), viaTool.string()}), 0);
    EXPECT_EQ(Read(device.Root() / "skin.ini"), Read(viaTool));

    ASSERT_EQ(Run({}, "cd '" + device.Root().string() +
                          "' && iconv -f UTF-16 -t UTF-8 tool.ini | tr -d '\\r' > back.txt"),
              0)
        << Output();
    EXPECT_EQ(Read(device.Root() / "back.txt"), EditedSkin);
}

} // namespace
