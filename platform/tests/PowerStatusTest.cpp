// The power status from a made-up folder of supplies, as the kernel lays
// them out: one folder per supply with one attribute per file.
#include "platform/error.h"
#include "platform/host.h"
#include "platform/power_status.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

class PowerStatusTest : public ::testing::Test {
protected:
    PowerStatusTest()
        : m_folder(fs::temp_directory_path() / ("power-" + std::to_string(::getpid()))) {
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        HostSettings host = Host();
        host.powerSupply = m_folder;
        Initialize(host);
    }
    ~PowerStatusTest() override { fs::remove_all(m_folder); }

    void Supply(const std::string& name, const std::map<std::string, std::string>& attributes) {
        fs::create_directories(m_folder / name);
        for (const auto& [key, value] : attributes)
            std::ofstream(m_folder / name / key) << value << "\n";
    }
    SystemPowerStatus Read() {
        SystemPowerStatus s;
        EXPECT_TRUE(GetSystemPowerStatus(s));
        return s;
    }

    fs::path m_folder;
};

TEST_F(PowerStatusTest, AnEmptyFolderIsMainsWithoutBattery) {
    const SystemPowerStatus s = Read();
    EXPECT_EQ(s.acLineStatus, AcLine::Online);
    EXPECT_EQ(s.batteryFlag, BatteryFlag::NoBattery);
    EXPECT_EQ(s.batteryLifePercent, UnknownPercent);
}

TEST_F(PowerStatusTest, TwoBatteriesCountByTheirCharge) {
    Supply("AC", {{"type", "Mains"}, {"online", "0"}});
    // 40 of 50 and 5 of 20 Wh: 64 % of the whole, not the 52 % average.
    Supply("BAT0", {{"type", "Battery"},
                    {"status", "Discharging"},
                    {"energy_now", "40000000"},
                    {"energy_full", "50000000"},
                    {"time_to_empty_now", "3600"},
                    {"voltage_now", "11400000"}});
    Supply("BAT1", {{"type", "Battery"},
                    {"status", "Discharging"},
                    {"energy_now", "5000000"},
                    {"energy_full", "20000000"}});
    Supply("BAT2", {{"type", "Battery"}, {"present", "0"}, {"capacity", "0"}});
    SystemPowerStatus s = Read();
    EXPECT_EQ(s.acLineStatus, AcLine::Offline);
    EXPECT_EQ(s.batteryLifePercent, 64);
    EXPECT_EQ(s.batteryFlag, 0) << "between low and high";
    EXPECT_EQ(s.batteryLifeTime, 3600u);
    EXPECT_EQ(s.batteryVoltage, 11400u);

    // A battery that counts charge (µAh) cannot be added to energy: the
    // percentages are averaged then, 80 and 50. A UPS online is mains.
    Supply("BAT1", {{"energy_now", "x"}, {"charge_now", "500"}, {"charge_full", "1000"}});
    Supply("ups", {{"type", "UPS"}, {"online", "1"}});
    s = Read();
    EXPECT_EQ(s.acLineStatus, AcLine::Online);
    EXPECT_EQ(s.batteryLifePercent, 65);
}

TEST_F(PowerStatusTest, LevelsAndTheirFlags) {
    const struct {
        int percent;
        uint8_t flag;
    } cases[] = {{100, BatteryFlag::High},
                 {67, BatteryFlag::High},
                 {66, 0},
                 {33, 0},
                 {32, BatteryFlag::Low},
                 {6, BatteryFlag::Low},
                 {5, BatteryFlag::Low | BatteryFlag::Critical},
                 {0, BatteryFlag::Low | BatteryFlag::Critical}};
    for (const auto& c : cases)
        EXPECT_EQ(BatteryLevelFlag(c.percent), c.flag) << c.percent << " %";
}

TEST_F(PowerStatusTest, NoFolderIsNoStatus) {
    fs::remove_all(m_folder);
    SystemPowerStatus s;
    s.acLineStatus = AcLine::Online;
    EXPECT_FALSE(GetSystemPowerStatus(s));
    EXPECT_EQ(LastError().code, ErrorCode::PathNotFound);
    EXPECT_EQ(s.acLineStatus, AcLine::Unknown) << "nothing stale is left in it";
}

} // namespace
