// The file side of the logs: names of the moment, the interval, and a file
// that stays whole when the card fills up or someone deletes it.
#include "gps/LogRecorder.h"
#include "gps/LogFileName.h"

#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/testing/temp_device.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <vector>

using namespace velvane;
using platform::SystemTime;
namespace fs = std::filesystem;

namespace {

SystemTime At(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
              uint16_t second = 0) {
    SystemTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

std::string Utf8(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}

TEST(LogFileName, DateAndTimeGoBeforeTheExtensionOfTheFileName) {
    const SystemTime nikolaus = At(2007, 12, 6, 14, 5);
    struct Case {
        const char16_t* path;
        unsigned parts;
        SystemTime time;
        const char16_t* want;
    } cases[] = {
        {u"track.nmea", LogNameDate | LogNameTime, nikolaus, u"track_061207_14-05.nmea"},
        {u"\\Logs\\track.nmea", LogNameDate, nikolaus, u"\\Logs\\track_061207.nmea"},
        {u"\\Logs\\track.nmea", LogNameTime, nikolaus, u"\\Logs\\track_14-05.nmea"},
        {u"\\Logs\\track.nmea", 0, nikolaus, u"\\Logs\\track.nmea"},
        // No extension: at the end.
        {u"\\Logs\\track", LogNameDate | LogNameTime, nikolaus, u"\\Logs\\track_061207_14-05"},
        // A dot in a folder name is no extension of the file.
        {u"\\Logs.old\\track", LogNameDate, nikolaus, u"\\Logs.old\\track_061207"},
        {u"\\Logs\\a.b.txt", LogNameDate, nikolaus, u"\\Logs\\a.b_061207.txt"},
        // 24-hour clock, two-digit year.
        {u"x.txt", LogNameDate | LogNameTime, At(2000, 1, 2, 0, 7), u"x_020100_00-07.txt"},
        {u"x.txt", LogNameTime, At(2026, 12, 31, 23, 59), u"x_23-59.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8(LogFileName(c.path, c.parts, c.time)), Utf8(c.want)) << Utf8(c.path);
}

class LogRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Local time is UTC here, so the names follow the clock set below.
        setenv("TZ", "UTC0", 1);
        tzset();
        platform::SetSystemTime(At(2007, 12, 6, 14, 5, 10));
        fs::create_directories(device.HostPath(u"\\Storage Card\\Logs"));
    }

    std::string Read(const char16_t* devicePath) { return device.Get(devicePath); }
    bool Exists(const char16_t* devicePath) { return fs::exists(device.HostPath(devicePath)); }

    platform::testing::TempDevice device;
};

TEST_F(LogRecorderTest, TheIntervalDropsEveryRecordWithinItAcrossAllTypes) {
    // RMC and GGA each second, 100 ms apart: with 1000 ms only the first
    // line after each gap of a second or more is written; with 0 every one.
    for (uint32_t interval : {0u, 1000u}) {
        LogRecorder log;
        ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\i.nmea", 0, interval));
        std::string want;
        for (int second = 0; second < 4; ++second) {
            const std::string rmc = "$GPRMC," + std::to_string(second) + "\r\n";
            const std::string gga = "$GPGGA," + std::to_string(second) + "\r\n";
            log.WriteRecord(rmc);
            EXPECT_EQ(log.Lamp(), LampState::Good) << interval;
            platform::headless::AdvanceClock(100);
            log.WriteRecord(gga);
            EXPECT_EQ(log.Lamp(), interval ? LampState::Hollow : LampState::Good) << interval;
            platform::headless::AdvanceClock(900);
            want += interval ? rmc : rmc + gga;
        }
        log.Close();
        EXPECT_EQ(Read(u"\\Storage Card\\Logs\\i.nmea"), want) << interval;
        fs::remove(device.HostPath(u"\\Storage Card\\Logs\\i.nmea"));
    }
}

TEST_F(LogRecorderTest, OnlyAChangeOfTheLampAsksForARedraw) {
    LogRecorder log;
    ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\r.nmea", 0, 1000));
    EXPECT_TRUE(log.WriteRecord("a")) << "written";
    EXPECT_TRUE(log.WriteRecord("b")) << "dropped: the lamp goes hollow";
    EXPECT_FALSE(log.WriteRecord("c")) << "dropped again: nothing changes";
    // The tick counter wraps after 49.7 days; the interval still holds.
    platform::headless::SetTickCount(0xFFFFFF00u);
    EXPECT_TRUE(log.WriteRecord("d"));
    platform::headless::AdvanceClock(999);
    log.WriteRecord("e");
    platform::headless::AdvanceClock(1);
    log.WriteRecord("f");
    log.Close();
    EXPECT_EQ(Read(u"\\Storage Card\\Logs\\r.nmea"), "adf");
}

TEST_F(LogRecorderTest, OpeningAgainAppendsWithinTheMinuteAndStartsAFileAfterIt) {
    LogRecorder log;
    const unsigned parts = LogNameDate | LogNameTime;
    ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\t.nmea", parts, 0));
    EXPECT_EQ(Utf8(log.FileName()), "\\Storage Card\\Logs\\t_061207_14-05.nmea");
    log.WriteRecord("one\r\n");
    platform::headless::AdvanceClock(30000); // 14:05:40
    ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\t.nmea", parts, 0));
    log.WriteRecord("two\r\n");
    platform::headless::AdvanceClock(20000); // 14:06:00
    ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\t.nmea", parts, 0));
    log.WriteRecord("three\r\n");
    log.Close();
    EXPECT_EQ(Read(u"\\Storage Card\\Logs\\t_061207_14-05.nmea"), "one\r\ntwo\r\n");
    EXPECT_EQ(Read(u"\\Storage Card\\Logs\\t_061207_14-06.nmea"), "three\r\n");
}

TEST_F(LogRecorderTest, ARecordTornByAPowerCutStaysApartFromTheNextSession) {
    const std::string line = "$GPRMC,2\r\n";
    struct Case {
        const char* name;
        std::string before; // the file as the last session left it
        std::string after;
    } cases[] = {
        {"no file", "", line},
        {"whole lines", "$GPRMC,1\r\n", "$GPRMC,1\r\n" + line},
        {"a torn line", "$GPRMC,1\r\n$GPG", "$GPRMC,1\r\n$GPG\r\n" + line},
        {"zeros after the cut", std::string("$GP\0\0", 5), std::string("$GP\0\0\r\n", 7) + line},
    };
    for (const Case& c : cases) {
        const fs::path file = device.HostPath(u"\\Storage Card\\Logs\\p.nmea");
        fs::remove(file);
        if (!c.before.empty())
            device.Put(u"\\Storage Card\\Logs\\p.nmea", c.before);
        LogRecorder log;
        log.SetRecordEnd("\r\n");
        ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\p.nmea", 0, 0)) << c.name;
        log.WriteRecord(line);
        log.WriteRecord(line);
        log.Close();
        EXPECT_EQ(Read(u"\\Storage Card\\Logs\\p.nmea"), c.after + line) << c.name;
    }
}

TEST_F(LogRecorderTest, WithoutAFileTheLampIsBadAndNothingIsWrittenAnywhere) {
    LogRecorder log;
    EXPECT_FALSE(log.Open(u"", LogNameDate | LogNameTime, 0));
    EXPECT_EQ(log.Lamp(), LampState::Bad);
    log.WriteRecord("lost\r\n");
    EXPECT_EQ(log.Lamp(), LampState::Bad);
    // Only the folders the test made.
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(device.Root()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 0);
}

TEST_F(LogRecorderTest, AFolderThatAppearsLaterIsWrittenTo) {
    // The card is not in yet.
    LogRecorder log;
    EXPECT_FALSE(log.Open(u"\\Karte\\Logs\\late.nmea", 0, 0));
    log.WriteRecord("lost\r\n");
    EXPECT_EQ(log.Lamp(), LampState::Bad);
    fs::create_directories(device.HostPath(u"\\Karte\\Logs"));
    platform::headless::AdvanceClock(LogRecorder::ReopenPeriodMs);
    log.WriteRecord("found\r\n");
    EXPECT_EQ(log.Lamp(), LampState::Good);
    log.Close();
    EXPECT_EQ(Read(u"\\Karte\\Logs\\late.nmea"), "found\r\n");
}

TEST_F(LogRecorderTest, AFileDeletedOrMovedWhileOpenIsMadeAgainAtTheNextRecord) {
    struct Case {
        const char* name;
        void (*spoil)(const fs::path& file);
        bool movedKeepsTheOld;
    } cases[] = {
        {"deleted", [](const fs::path& f) { fs::remove(f); }, false},
        {"moved", [](const fs::path& f) { fs::rename(f, f.parent_path() / "saved.nmea"); }, true},
        {"replaced",
         [](const fs::path& f) {
             fs::rename(f, f.parent_path() / "saved.nmea");
             std::ofstream(f) << "";
         },
         true},
    };
    for (const Case& c : cases) {
        const fs::path file = device.HostPath(u"\\Storage Card\\Logs\\d_061207.nmea");
        LogRecorder log;
        ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\d.nmea", LogNameDate, 0)) << c.name;
        log.WriteRecord("before\r\n");
        c.spoil(file);
        log.WriteRecord("after\r\n");
        EXPECT_EQ(log.Lamp(), LampState::Good) << c.name;
        log.Close();
        EXPECT_EQ(Read(u"\\Storage Card\\Logs\\d_061207.nmea"), "after\r\n") << c.name;
        if (c.movedKeepsTheOld) {
            EXPECT_EQ(Read(u"\\Storage Card\\Logs\\saved.nmea"), "before\r\n") << c.name;
        }
        fs::remove(file);
        fs::remove(file.parent_path() / "saved.nmea");
    }
}

TEST_F(LogRecorderTest, WrittenDataIsSyncedOnceItIsOldEnoughAndNotBefore) {
    LogRecorder log;
    ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\s.nmea", 0, 0));
    log.WriteRecord("a\r\n");
    EXPECT_TRUE(log.HasUnsynced());
    platform::headless::AdvanceClock(LogRecorder::SyncAgeMs - 1);
    log.WriteRecord("b\r\n");
    EXPECT_TRUE(log.HasUnsynced()) << "not on every line";
    platform::headless::AdvanceClock(1);
    log.SyncIfDue();
    EXPECT_FALSE(log.HasUnsynced())
        << "the first record is " << LogRecorder::SyncAgeMs << " ms old";
    log.WriteRecord("c\r\n");
    EXPECT_TRUE(log.HasUnsynced());
}

// A small file system of its own under the device's card, unmounted on every
// path out of the test.
class SmallCard {
public:
    explicit SmallCard(const fs::path& where) : m_where(where) {
        fs::create_directories(where);
        if (::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=64k") == 0)
            m_mounted = true;
        else
            m_why = std::strerror(errno);
    }
    ~SmallCard() {
        if (m_mounted && ::umount(m_where.c_str()) != 0)
            ::umount2(m_where.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    const std::string& Why() const { return m_why; }

private:
    fs::path m_where;
    bool m_mounted = false;
    std::string m_why;
};

TEST_F(LogRecorderTest, AFullCardKeepsEveryLineWholeAndWritingResumesWhenSpaceReturns) {
    SmallCard card(device.HostPath(u"\\Storage Card"));
    if (!card.Mounted())
        GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here (" << card.Why()
                     << "); run as root with mount permission to test a full card";
    fs::create_directories(device.HostPath(u"\\Storage Card\\Logs"));
    // Something else fills part of the card; freeing it makes room again.
    {
        std::ofstream filler(device.HostPath(u"\\Storage Card\\filler"), std::ios::binary);
        filler << std::string(16 * 1024, 'x');
    }
    const std::string line = "$GPGGA,235500.00,5418.3948,N,00939.7872,E,1,08,1.12,4.0,M,"
                             "40.1,M,,*51\r\n";
    {
        LogRecorder log; // closed before the card goes
        ASSERT_TRUE(log.Open(u"\\Storage Card\\Logs\\full.nmea", 0, 0));
        int written = 0, tries = 0;
        while (log.Lamp() != LampState::Bad && tries++ < 10000) {
            log.WriteRecord(line);
            written += log.Lamp() == LampState::Good ? 1 : 0;
        }
        ASSERT_EQ(log.Lamp(), LampState::Bad) << "the card never filled up";
        // Later records are refused as well, and the file stays as it was.
        for (int i = 0; i < 20; ++i)
            log.WriteRecord(line);
        EXPECT_EQ(log.Lamp(), LampState::Bad);
        const std::string full = Read(u"\\Storage Card\\Logs\\full.nmea");
        ASSERT_EQ(full.size() % line.size(), 0u) << "a partial line was left at the end";
        for (size_t at = 0; at < full.size(); at += line.size())
            ASSERT_EQ(full.compare(at, line.size(), line), 0) << "line at byte " << at;
        EXPECT_EQ(full.size() / line.size(), static_cast<size_t>(written));

        fs::remove(device.HostPath(u"\\Storage Card\\filler"));
        log.WriteRecord(line);
        EXPECT_EQ(log.Lamp(), LampState::Good) << "writing resumes by itself";
        log.Close();
        EXPECT_EQ(Read(u"\\Storage Card\\Logs\\full.nmea"), full + line);
    }
}

} // namespace
