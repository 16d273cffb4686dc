// The NMEA log hears each line before every other listener of the model, so
// the line is on file before anything else reacts to it.
#include "app/TachoModel.h"
#include "display/Screen.h"
#include "instruments/FullLog.h"

#include "platform/testing/temp_device.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;

namespace {

const std::string Rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,012.34,084.4,230394,003.1,W*6A\r\n";

TEST(FullLogOrder, TheLineIsOnFileWhenTheFirstSpeedListenerHearsIt) {
    platform::testing::TempDevice device;
    std::filesystem::create_directories(device.HostPath(u"\\Logs"));
    device.Put(u"\\full.ini", platform::testing::Utf16File(
                                  u"[Settings]\r\nLogFile = \\Logs\\all.nmea\r\nAppendDate = n\r\n"
                                  u"[Log]\r\nRMC = y\r\n"));
    Screen screen(nullptr, 480, 272);
    TachoModel model(nullptr, &screen);
    model.CreateReceiver();
    model.SetSpeedProtocol(1);

    struct Reader : SpeedListener {
        platform::testing::TempDevice* device;
        std::vector<std::string> seen;
        void OnSpeed(int32_t) override { seen.push_back(device->Get(u"\\Logs\\all.nmea")); }
    } reader;
    reader.device = &device;
    model.AddSpeedListener(&reader); // registered before the log

    auto entry = FullLog::Class.CreateEntry(screen, &model);
    ASSERT_TRUE(entry->Activate(u"\\full.ini"));
    model.Receiver()->DispatchLine(Rmc);
    ASSERT_EQ(reader.seen.size(), 1u);
    EXPECT_EQ(reader.seen[0], Rmc);
    entry->Deactivate();
    EXPECT_EQ(model.Receiver()->SentenceListenerCount(), 1u) << "only the speed source is left";
}

} // namespace
