#include "app/FileDialogs.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"
#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

#include <gtest/gtest.h>

using namespace velvane;
using platform::testing::DialogLines;
using platform::testing::TempDevice;

namespace {

// The folder a real dialog with these options shows.
std::u16string ShownFolder(const platform::FileDialogOptions& options) {
    platform::Dialog* d = platform::OpenFileDialogModeless(options, {});
    if (!d)
        return u"(no dialog)";
    std::u16string folder = d->GetText(100);
    d->Destroy();
    platform::PumpMessages();
    return folder;
}

} // namespace

TEST(OpenIniFile, TheNextDialogStartsWhereTheUserLastChose) {
    TempDevice device;
    device.Put(u"\\Program Files\\Velvane\\Velvane.ini", "x");
    device.Put(u"\\Storage Card\\Konfig\\Tag.ini", "x");
    device.Put(u"\\Storage Card\\GPS\\gps.ini", "x");
    OpenFileState state;
    EXPECT_EQ(ShownFolder(state.Options(nullptr, u"Konfiguration öffnen")),
              u"\\Program Files\\Velvane\\");

    platform::headless::QueueFileDialogAnswer(u"Konfiguration öffnen",
                                              u"\\Storage Card\\Konfig\\Tag.ini");
    EXPECT_EQ(OpenIniFile(nullptr, u"Konfiguration öffnen", state),
              u"\\Storage Card\\Konfig\\Tag.ini");
    EXPECT_EQ(ShownFolder(state.Options(nullptr, u"GPSIni öffnen")), u"\\Storage Card\\Konfig\\");

    // A cancelled dialog leaves the place as it was.
    EXPECT_EQ(OpenIniFile(nullptr, u"GPSIni öffnen", state), std::nullopt);
    EXPECT_EQ(state.Directory(), u"\\Storage Card\\Konfig\\");

    platform::headless::QueueFileDialogAnswer(u"GPSIni öffnen", u"\\Storage Card\\GPS\\gps.ini");
    EXPECT_EQ(OpenIniFile(nullptr, u"GPSIni öffnen", state), u"\\Storage Card\\GPS\\gps.ini");
    EXPECT_EQ(ShownFolder(state.Options(nullptr, u"Konfiguration öffnen")),
              u"\\Storage Card\\GPS\\");
}

TEST(OpenIniFile, AsksForAnExistingIniFileWithTheMoverBesideIt) {
    TempDevice device;
    OpenFileState state;
    const platform::FileDialogOptions o = state.Options(nullptr, u"Konfiguration öffnen");
    EXPECT_EQ(o.title, u"Konfiguration öffnen");
    EXPECT_EQ(o.filterName, u"Ini-Dateien");
    EXPECT_EQ(o.pattern, u"*.ini");
    EXPECT_EQ(o.defaultExtension, u"ini");
    EXPECT_TRUE(o.fileMustExist);
    EXPECT_EQ(o.maxLength, 260u);

    platform::headless::QueueFileDialogAnswer(u"Konfiguration öffnen", u"\\a.ini");
    EXPECT_EQ(OpenIniFile(nullptr, u"Konfiguration öffnen", state), u"\\a.ini");
    std::vector<std::string> expected = {
        "dialog open title=\"Move Window\" template=129",
        "filedialog open title=\"Konfiguration öffnen\" answer=\"\\\\a.ini\"",
        "dialog close title=\"Move Window\" template=129 result=0",
    };
    EXPECT_EQ(DialogLines(), expected);
    platform::PumpMessages();
    EXPECT_TRUE(platform::TopLevelWindows().empty());
}

TEST(SaveIniFile, StartsInTheProgramFolderWhateverWasOpened) {
    TempDevice device;
    device.Put(u"\\Program Files\\Velvane\\Velvane.ini", "x");
    SharedOpenFileState().Remember(u"\\Storage Card\\x.ini");
    const platform::FileDialogOptions o = SaveDialogOptions(nullptr, u"Einstellungen speichern:");
    EXPECT_EQ(o.initialDirectory, u"\\Program Files\\Velvane\\");
    EXPECT_FALSE(o.fileMustExist);
    EXPECT_EQ(o.defaultExtension, u"ini");
    EXPECT_EQ(o.pattern, u"*.ini");
    SharedOpenFileState() = OpenFileState();

    platform::headless::QueueFileDialogAnswer(u"Einstellungen speichern:",
                                              u"\\Program Files\\Velvane\\neu.ini");
    EXPECT_EQ(SaveIniFile(nullptr, u"Einstellungen speichern:"),
              u"\\Program Files\\Velvane\\neu.ini");
    auto lines = DialogLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "dialog open title=\"Move Window\" template=129");
    EXPECT_EQ(lines[1], "filedialog save title=\"Einstellungen speichern:\" answer=\"\\\\Program "
                        "Files\\\\Velvane\\\\neu.ini\"");
}
