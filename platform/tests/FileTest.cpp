#include "platform/file.h"
#include "platform/error.h"
#include "platform/registry.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

using namespace platform;
using platform::testing::TempDevice;

namespace {
std::string ReadAll(File& f) {
    std::string out(static_cast<size_t>(f.Size()), '\0');
    uint32_t got = 0;
    f.Seek(0, SeekOrigin::Begin);
    EXPECT_TRUE(f.Read(out.data(), static_cast<uint32_t>(out.size()), got));
    out.resize(got);
    return out;
}
} // namespace

TEST(DevicePath, MapsUnderTheRootAndNeverLeavesIt) {
    TempDevice device;
    EXPECT_EQ(*HostPathOf(u"\\My Documents\\target.3na"),
              device.Root() / "My Documents" / "target.3na");
    EXPECT_EQ(*HostPathOf(u"/a/b"), device.Root() / "a" / "b");
    EXPECT_EQ(*HostPathOf(u"\\a\\..\\b\\.\\c"), device.Root() / "b" / "c");
    EXPECT_EQ(*HostPathOf(u"\\"), device.Root());
    for (auto bad : {u"", u"relative\\x", u"\\..\\etc\\passwd", u"\\a\\..\\..\\x"}) {
        EXPECT_FALSE(HostPathOf(bad)) << ToUtf8(bad);
        EXPECT_EQ(LastError().code, ErrorCode::InvalidParameter);
    }
    // The device ignores case: an existing file is found whatever case names it.
    device.Put(u"\\Storage Card\\Skins\\Day.ini", "x");
    EXPECT_EQ(*HostPathOf(u"\\storage card\\SKINS\\day.INI"),
              device.Root() / "Storage Card" / "Skins" / "Day.ini");
    EXPECT_TRUE(FileExists(u"\\STORAGE CARD\\skins\\DAY.ini"));
}

TEST(DevicePath, ProgramFolderIsADevicePath) {
    TempDevice device(u"\\Programme\\Velvane\\Velvane.exe");
    EXPECT_EQ(ProgramFilePath(), u"\\Programme\\Velvane\\Velvane.exe");
    EXPECT_EQ(ProgramDirectory(), u"\\Programme\\Velvane\\");
}

TEST(File, OpenModesCreateTruncateAppendAndRefuse) {
    TempDevice device;
    EXPECT_FALSE(
        File::Open(u"\\a.txt", FileAccess::Read, FileShare::Read, FileCreation::OpenExisting));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);
    EXPECT_FALSE(
        File::Open(u"\\no\\a.txt", FileAccess::Write, FileShare::Read, FileCreation::CreateAlways));
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);

    {
        auto f = File::Open(u"\\a.txt", FileAccess::Write, FileShare::Exclusive,
                            FileCreation::CreateNew);
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->Write("hello", 5));
    }
    EXPECT_FALSE(
        File::Open(u"\\a.txt", FileAccess::Write, FileShare::Read, FileCreation::CreateNew));
    EXPECT_EQ(LastError().code, ErrorCode::FileExists);
    {
        auto f =
            File::Open(u"\\a.txt", FileAccess::Append, FileShare::Read, FileCreation::OpenAlways);
        ASSERT_TRUE(f);
        f->Seek(0, SeekOrigin::Begin); // appends go to the end whatever the position
        EXPECT_TRUE(f->Write(" world", 6));
    }
    {
        auto f = File::Open(u"\\a.txt", FileAccess::ReadWrite, FileShare::Read,
                            FileCreation::OpenExisting);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->Size(), 11);
        EXPECT_EQ(ReadAll(*f), "hello world");
        EXPECT_TRUE(f->Seek(-5, SeekOrigin::End));
        EXPECT_EQ(f->Position(), 6);
        EXPECT_TRUE(f->Write("WORLD", 5));
        EXPECT_EQ(ReadAll(*f), "hello WORLD");
        uint32_t got = 7;
        char c;
        EXPECT_TRUE(f->Read(&c, 1, got));
        EXPECT_EQ(got, 0u); // at the end
        EXPECT_FALSE(f->Seek(-100, SeekOrigin::Begin));
    }
    {
        auto f =
            File::Open(u"\\a.txt", FileAccess::Write, FileShare::Read, FileCreation::CreateAlways);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->Size(), 0);
        char c;
        uint32_t got;
        EXPECT_FALSE(f->Read(&c, 1, got));
        EXPECT_EQ(LastError().code, ErrorCode::AccessDenied);
    }
    CreateDirectory(u"\\dir");
    EXPECT_FALSE(
        File::Open(u"\\dir", FileAccess::Read, FileShare::Read, FileCreation::OpenExisting));
}

TEST(File, SharingRefusesWhatTheFirstOpenerForbids) {
    TempDevice device;
    device.Put(u"\\log.txt", "x");
    auto exclusive = File::Open(u"\\log.txt", FileAccess::Write, FileShare::Exclusive,
                                FileCreation::OpenExisting);
    ASSERT_TRUE(exclusive);
    EXPECT_FALSE(
        File::Open(u"\\log.txt", FileAccess::Read, FileShare::Read, FileCreation::OpenExisting));
    EXPECT_EQ(LastError().code, ErrorCode::SharingViolation);
    exclusive.reset();
    auto reader1 =
        File::Open(u"\\log.txt", FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
    auto reader2 =
        File::Open(u"\\log.txt", FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
    EXPECT_TRUE(reader1 && reader2);
    EXPECT_FALSE(File::Open(u"\\log.txt", FileAccess::Write, FileShare::Exclusive,
                            FileCreation::OpenExisting));
}

TEST(File, CopyMoveDeleteAndFolders) {
    TempDevice device;
    device.Put(u"\\a.txt", "A");
    device.Put(u"\\b.txt", "B");
    EXPECT_FALSE(CopyFile(u"\\a.txt", u"\\b.txt", CopyMode::FailIfExists));
    EXPECT_EQ(LastError().code, ErrorCode::FileExists);
    EXPECT_EQ(device.Get(u"\\b.txt"), "B");
    EXPECT_TRUE(CopyFile(u"\\a.txt", u"\\b.txt", CopyMode::Overwrite));
    EXPECT_EQ(device.Get(u"\\b.txt"), "A");
    EXPECT_FALSE(CopyFile(u"\\missing", u"\\c.txt", CopyMode::Overwrite));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);

    EXPECT_FALSE(MoveFile(u"\\a.txt", u"\\b.txt"));
    EXPECT_TRUE(MoveFile(u"\\a.txt", u"\\c.txt"));
    EXPECT_FALSE(FileExists(u"\\a.txt"));
    EXPECT_TRUE(FileExists(u"\\c.txt"));
    EXPECT_TRUE(DeleteFile(u"\\c.txt"));
    EXPECT_FALSE(DeleteFile(u"\\c.txt"));
    EXPECT_EQ(LastError().code, ErrorCode::FileNotFound);

    EXPECT_TRUE(CreateDirectory(u"\\Storage Card"));
    EXPECT_FALSE(CreateDirectory(u"\\Storage Card"));
    EXPECT_EQ(LastError().code, ErrorCode::AlreadyExists);
    EXPECT_FALSE(CreateDirectory(u"\\x\\y"));
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);
    EXPECT_TRUE(DirectoryExists(u"\\Storage Card"));
    EXPECT_FALSE(DeleteFile(u"\\Storage Card"));
    EXPECT_TRUE(RemoveDirectory(u"\\Storage Card"));
}

TEST(File, FindFilesMatchesPatternsWithAttributes) {
    TempDevice device;
    device.Put(u"\\Logs\\a.ASC", "12345");
    device.Put(u"\\Logs\\b.asc", "");
    device.Put(u"\\Logs\\c.ini", "");
    device.Put(u"\\Logs\\sub\\d.asc", "");
    auto asc = FindFiles(u"\\Logs\\*.asc");
    ASSERT_EQ(asc.size(), 2u);
    EXPECT_EQ(asc[0].name, u"a.ASC");
    EXPECT_EQ(asc[0].size, 5u);
    EXPECT_EQ(asc[0].attributes, AttributeNormal);
    EXPECT_EQ(FindFiles(u"\\Logs\\*").size(), 4u);
    auto sub = FindFiles(u"\\Logs\\s*");
    ASSERT_EQ(sub.size(), 1u);
    EXPECT_EQ(sub[0].attributes & AttributeDirectory, AttributeDirectory);
    EXPECT_TRUE(FindFiles(u"\\Nowhere\\*.ini").empty());
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);

    struct {
        std::u16string_view name, pattern;
        bool match;
    } cases[] = {
        {u"day.ini", u"*.ini", true},
        {u"day.ini", u"*.INI", true},
        {u"day.ini.bak", u"*.ini", false},
        {u"day", u"*.*", true},
        {u"a.b", u"?.?", true},
        {u"ab.b", u"?.?", false},
        {u"aXbXc", u"a*b*c", true},
        {u"abc", u"a*b*c*d", false},
        {u"", u"*", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.match)
            << ToUtf8(c.name) << " ~ " << ToUtf8(c.pattern);
}

TEST(AtomicFile, ReplacesWholeOrNotAtAll) {
    TempDevice device;
    device.Put(u"\\Velvane.ini", "old");
    EXPECT_TRUE(ReplaceFileContents(u"\\Velvane.ini", "new contents"));
    EXPECT_EQ(device.Get(u"\\Velvane.ini"), "new contents");
    EXPECT_EQ(*ReadFileContents(u"\\Velvane.ini"), "new contents");

    // A save into a folder that cannot be written fails and keeps the old file.
    device.Put(u"\\ro\\keep.ini", "keep");
    ::chmod(device.HostPath(u"\\ro").c_str(), 0555);
    if (::geteuid() != 0) { // root ignores permissions
        EXPECT_FALSE(ReplaceFileContents(u"\\ro\\keep.ini", "lost?"));
        EXPECT_EQ(device.Get(u"\\ro\\keep.ini"), "keep");
    }
    ::chmod(device.HostPath(u"\\ro").c_str(), 0755);

    // Nothing but the target is left in the folder after a commit.
    auto f = AtomicFile::Create(u"\\Velvane.ini");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->Stream().Write("third", 5));
    EXPECT_EQ(device.Get(u"\\Velvane.ini"), "new contents"); // not yet
    EXPECT_TRUE(f->Commit());
    EXPECT_FALSE(f->Commit());
    EXPECT_EQ(device.Get(u"\\Velvane.ini"), "third");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(device.Root()), {}),
              2); // Velvane.ini, ro
    EXPECT_FALSE(AtomicFile::Create(u"\\missing\\x.ini"));
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);
}

namespace {
// A save killed before its commit: the child writes a temporary and dies
// without cleaning up, as under kill -9.
void KilledSave(std::u16string_view devicePath) {
    pid_t child = ::fork();
    if (child == 0) {
        auto f = AtomicFile::Create(devicePath);
        if (f)
            f->Stream().Write("half", 4);
        ::_exit(f ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(AtomicFile, TheNextSaveRemovesTemporariesOfKilledSavesButNoLiveOne) {
    TempDevice device;
    device.Put(u"\\Velvane.ini", "old");
    device.Put(u"\\.Other.ini.Ab12Cd", "not ours to judge");
    device.Put(u"\\.Velvane.ini.backup", "a user's own file");
    // Saves killed one after the other leave one temporary, not one each.
    for (int i = 0; i < 3; ++i)
        KilledSave(u"\\Velvane.ini");
    EXPECT_EQ(Names(device.Root()).size(), 4u);

    // Another writer of the same file is busy right now: its temporary stays.
    auto live = AtomicFile::Create(u"\\Velvane.ini");
    ASSERT_TRUE(live);
    ASSERT_TRUE(live->Stream().Write("live", 4));
    EXPECT_TRUE(ReplaceFileContents(u"\\Velvane.ini", "saved"));
    EXPECT_EQ(device.Get(u"\\Velvane.ini"), "saved");
    auto names = Names(device.Root());
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], ".Other.ini.Ab12Cd");
    EXPECT_EQ(names[1], ".Velvane.ini.backup");
    EXPECT_EQ(names[2].substr(0, 14), ".Velvane.ini.~"); // the live one
    EXPECT_EQ(names[3], "Velvane.ini");
    EXPECT_TRUE(live->Commit());
    EXPECT_EQ(device.Get(u"\\Velvane.ini"), "live");
    EXPECT_EQ(Names(device.Root()).size(), 3u);
}

TEST(AtomicFile, NamesUpToTheLimitCanBeSaved) {
    TempDevice device;
    struct Case {
        std::string name;
    } cases[] = {
        {std::string(247, 'a')},
        {std::string(248, 'b')},
        {std::string(255, 'c')},
        {"x" +
         [] {
             std::string s;
             for (int i = 0; i < 127; ++i)
                 s += "\xC3\xA4"; // ä: the cut must not split it
             return s;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        std::u16string path = u"\\" + FromUtf8(c.name);
        KilledSave(path);
        EXPECT_TRUE(ReplaceFileContents(path, "saved")) << LastError().message;
        EXPECT_EQ(device.Get(path), "saved");
        // The killed save's temporary went with this one.
        EXPECT_EQ(Names(device.Root()), std::vector<std::string>{c.name});
        std::filesystem::remove(device.Root() / c.name);
    }
}

TEST(AtomicFile, RegistryImagesShareTheCleanUp) {
    TempDevice device;
    const auto target = device.Root() / "backup.reg";
    pid_t child = ::fork();
    if (child == 0) {
        std::filesystem::path temp;
        ::_exit(CreateTemporaryBeside(target, temp) >= 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto withoutStore = [&] {
        auto names = Names(device.Root());
        names.erase(
            std::remove_if(names.begin(), names.end(),
                           [](const std::string& n) { return n.rfind(".registry", 0) == 0; }),
            names.end());
        return names;
    };
    ASSERT_EQ(withoutStore().size(), 1u); // the stale temporary
    ASSERT_TRUE(RegCopyFile(u"\\backup.reg")) << LastError().message;
    EXPECT_EQ(withoutStore(), std::vector<std::string>{"backup.reg"});
}
