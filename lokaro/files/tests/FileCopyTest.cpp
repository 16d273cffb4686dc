#include "files/FileCopy.h"
#include "files/TrackFolder.h"

#include "platform/file.h"
#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace lokaro;
using platform::testing::TempDevice;

TEST(FileCopy, FileAndTextModes) {
    TempDevice device;
    device.Put(u"\\Quelle.txt", "Erste Zeile\r\nZweite \xE4\n");
    device.Put(u"\\Ziel.txt", "alt");
    ASSERT_TRUE(copyWithMode(u"\\Quelle.txt", u"\\Ziel.txt", 0));
    EXPECT_EQ(device.Get(u"\\Ziel.txt"), "Erste Zeile\r\nZweite \xE4\n");

    ASSERT_TRUE(copyWithMode(u"\\Quelle.txt", u"\\Unicode.txt", 1));
    EXPECT_EQ(device.Get(u"\\Unicode.txt"),
              platform::testing::Utf16File(u"Erste Zeile\nZweite ä\n", true));

    EXPECT_FALSE(copyWithMode(u"\\Fehlt.txt", u"\\Ziel.txt", 0));
    EXPECT_FALSE(copyWithMode(u"\\Fehlt.txt", u"\\Unicode.txt", 1));
    EXPECT_EQ(device.Get(u"\\Ziel.txt"), "Erste Zeile\r\nZweite \xE4\n");
    EXPECT_FALSE(copyWithMode(u"\\Quelle.txt", u"\\Anders.txt", 4));
    EXPECT_FALSE(platform::FileExists(u"\\Anders.txt"));
}

TEST(FileCopy, TreeCopiesEveryFileAndFolder) {
    for (int mode : {2, 3}) {
        TempDevice device;
        device.Put(u"\\Quelle\\a.ini", "a");
        device.Put(u"\\Quelle\\Sub\\b.ini", "b");
        device.Put(u"\\Quelle\\Sub\\Tief\\c.bmp", "c");
        std::filesystem::create_directories(device.HostPath(u"\\Quelle\\Leer"));
        // An existing target folder and file are fine: files are overwritten.
        device.Put(u"\\Ziel\\a.ini", "alt");
        std::filesystem::permissions(device.HostPath(u"\\Ziel\\a.ini"),
                                     std::filesystem::perms::owner_read);

        EXPECT_TRUE(copyWithMode(u"\\Quelle", u"\\Ziel", mode)) << "mode " << mode;
        EXPECT_EQ(device.Get(u"\\Ziel\\a.ini"), "a") << "mode " << mode;
        EXPECT_EQ(device.Get(u"\\Ziel\\Sub\\b.ini"), "b") << "mode " << mode;
        EXPECT_EQ(device.Get(u"\\Ziel\\Sub\\Tief\\c.bmp"), "c") << "mode " << mode;
        EXPECT_TRUE(platform::DirectoryExists(u"\\Ziel\\Leer")) << "mode " << mode;

        // A target whose parent is missing fails.
        EXPECT_FALSE(copyWithMode(u"\\Quelle", u"\\Fehlt\\Ziel", mode)) << "mode " << mode;
        EXPECT_FALSE(copyWithMode(u"\\Fehlt", u"\\Ziel2", mode)) << "mode " << mode;
        EXPECT_FALSE(platform::DirectoryExists(u"\\Ziel2")) << "mode " << mode;
    }
}

TEST(FileCopy, TreeIntoItselfIsRefused) {
    TempDevice device;
    device.Put(u"\\Quelle\\a.ini", "a");
    EXPECT_FALSE(copyTree(u"\\Quelle", u"\\quelle\\Kopie"));
    EXPECT_FALSE(platform::DirectoryExists(u"\\Quelle\\Kopie"));
    // A sibling whose name only starts like the source is no such case.
    EXPECT_TRUE(copyTree(u"\\Quelle", u"\\Quelle2"));
    EXPECT_EQ(device.Get(u"\\Quelle2\\a.ini"), "a");
}

TEST(TrackFolder, ModesSwitchTheFolder) {
    enum Start { None, Tracks, Parked, NoRoot };
    struct {
        Start start;
        int mode;
        int result;
        bool tracks, parked;
    } cases[] = {
        {Parked, 2, 1, true, false}, // unparked
        {None, 2, 1, true, false},   // created
        {NoRoot, 2, 0, false, false}, {Tracks, 3, 0, false, true}, {None, 3, 0, false, false},
        {Tracks, 1, 0, false, true},  {Parked, 1, 1, true, false}, {None, 1, 1, true, false},
        {Tracks, 0, 1, true, false},  {Parked, 7, 0, false, true},
    };
    for (TrackPlace place : {TrackPlace::StorageCard, TrackPlace::FlashDisk}) {
        const std::u16string root =
            place == TrackPlace::FlashDisk ? u"\\My Flash Disk" : u"\\Storage Card";
        for (const auto& c : cases) {
            TempDevice device;
            if (c.start != NoRoot)
                std::filesystem::create_directories(device.HostPath(root));
            if (c.start == Tracks)
                std::filesystem::create_directories(device.HostPath(root + u"\\Tracks"));
            if (c.start == Parked)
                std::filesystem::create_directories(device.HostPath(root + u"\\notracking"));
            EXPECT_EQ(setTrackFolder(c.mode, place), c.result)
                << "start " << c.start << " mode " << c.mode;
            EXPECT_EQ(platform::DirectoryExists(root + u"\\Tracks"), c.tracks)
                << "start " << c.start << " mode " << c.mode;
            EXPECT_EQ(platform::DirectoryExists(root + u"\\notracking"), c.parked)
                << "start " << c.start << " mode " << c.mode;
        }
    }
}
