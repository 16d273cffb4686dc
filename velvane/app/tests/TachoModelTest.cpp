#include "app/TachoModel.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"
#include "platform/text.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velvane;

namespace {

const std::string Rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,012.34,084.4,230394,003.1,W*6A\r\n";
const std::string Vtg = "$GPVTG,054.7,T,034.4,M,005.5,N,022.8,K*48\r\n";
const std::string Gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

struct Speeds : SpeedListener {
    std::vector<int32_t> values;
    std::function<void()> action;
    void OnSpeed(int32_t v) override {
        values.push_back(v);
        if (action)
            action();
    }
};

struct Values : AltitudeListener, PositionListener {
    std::vector<int32_t> altitudes;
    std::vector<GeoPosition> positions;
    void OnAltitude(int32_t a) override { altitudes.push_back(a); }
    void OnPosition(const GeoPosition& p) override { positions.push_back(p); }
};

void Feed(TachoModel& model) {
    for (const auto& line : {Rmc, Vtg, Gga})
        model.Receiver()->DispatchLine(line);
}

TEST(TachoModelSources, NothingWithoutReceiver) {
    TachoModel model(nullptr);
    Speeds s;
    model.AddSpeedListener(&s);
    model.SetSpeedProtocol(1);
    EXPECT_EQ(model.GetSpeedSource(), nullptr);
    EXPECT_EQ(model.SpeedProtocol(), 0);
}

TEST(TachoModelSources, CreatedForTheFirstListenerDeletedWithTheLast) {
    TachoModel model(nullptr);
    model.CreateReceiver();
    Speeds s1, s2;
    Values v;
    model.AddSpeedListener(&s1);
    model.AddSpeedListener(&s2);
    model.AddAltitudeListener(&v);
    model.AddPositionListener(&v);
    ASSERT_NE(model.GetSpeedSource(), nullptr);
    EXPECT_EQ(model.GetSpeedSource()->GetProtocol(), SpeedSource::Protocol::VTG);
    EXPECT_EQ(model.Receiver()->SentenceListenerCount(), 3u) << "one registration per source";

    Feed(model);
    EXPECT_EQ(s1.values, std::vector<int32_t>{228});
    EXPECT_EQ(s2.values, std::vector<int32_t>{228});
    EXPECT_EQ(v.altitudes, std::vector<int32_t>{5454});
    ASSERT_EQ(v.positions.size(), 1u);
    EXPECT_EQ(v.positions[0].Latitude(), 28870380);

    model.RemoveSpeedListener(&s1);
    EXPECT_NE(model.GetSpeedSource(), nullptr);
    model.RemoveSpeedListener(&s2);
    model.RemoveAltitudeListener(&v);
    model.RemovePositionListener(&v);
    EXPECT_EQ(model.GetSpeedSource(), nullptr);
    EXPECT_EQ(model.GetAltitudeSource(), nullptr);
    EXPECT_EQ(model.GetPositionSource(), nullptr);
    EXPECT_EQ(model.Receiver()->SentenceListenerCount(), 0u);
    Feed(model);
    EXPECT_EQ(s1.values.size(), 1u);
}

TEST(TachoModelSources, SpeedProtocolHandsListenersOver) {
    TachoModel model(nullptr);
    model.CreateReceiver();
    model.SetSpeedProtocol(1); // no listener yet: remembered, nothing made
    EXPECT_EQ(model.GetSpeedSource(), nullptr);
    model.SetSpeedProtocol(0);

    std::vector<int> order;
    Speeds a, b;
    a.action = [&] { order.push_back(1); };
    b.action = [&] { order.push_back(2); };
    model.AddSpeedListener(&a);
    model.AddSpeedListener(&b);
    const SpeedSource* vtg = model.GetSpeedSource();
    model.SetSpeedProtocol(0);
    EXPECT_EQ(model.GetSpeedSource(), vtg) << "the same value changes nothing";

    model.SetSpeedProtocol(1);
    ASSERT_NE(model.GetSpeedSource(), nullptr);
    EXPECT_EQ(model.GetSpeedSource()->GetProtocol(), SpeedSource::Protocol::RMC);
    EXPECT_EQ(model.Receiver()->SentenceListenerCount(), 1u);
    Feed(model);
    EXPECT_EQ(a.values, std::vector<int32_t>{228}) << "12.34 knots from RMC";
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    model.SetSpeedProtocol(5); // anything but 1 is VTG
    EXPECT_EQ(model.GetSpeedSource()->GetProtocol(), SpeedSource::Protocol::VTG);
}

TEST(TachoModelSources, LastListenerLeavingDuringItsNotification) {
    TachoModel model(nullptr);
    model.CreateReceiver();
    Speeds s;
    s.action = [&] { model.RemoveSpeedListener(&s); };
    Values v;
    model.AddSpeedListener(&s);
    model.AddAltitudeListener(&v);
    Feed(model); // the speed source is deleted inside its own fan-out
    EXPECT_EQ(model.GetSpeedSource(), nullptr);
    EXPECT_EQ(s.values.size(), 1u);
    EXPECT_EQ(v.altitudes.size(), 1u) << "the receiver's fan-out goes on";
}

// Every shared receiver log through a replayed port, the receiver and all
// three sources.
struct Plausibility : SentenceListener, SpeedListener, AltitudeListener, PositionListener {
    std::string log;
    GeoPosition last;
    bool heardPosition = false;
    int ggaLines = 0, validPositions = 0, speeds = 0;

    void OnSpeed(int32_t speed) override {
        ++speeds;
        EXPECT_GE(speed, 0) << log;
        EXPECT_LT(speed, 20000) << log;
    }
    void OnAltitude(int32_t altitude) override {
        EXPECT_GT(altitude, -100000) << log;
        EXPECT_LT(altitude, 1000000) << log;
    }
    void OnPosition(const GeoPosition& p) override {
        last = p;
        heardPosition = true;
    }
    // Registered after the sources, so the position of this line is in.
    void OnGGA(std::string_view line) override {
        ++ggaLines;
        const auto fields = Split(line);
        if (fields.size() < 7) {
            EXPECT_FALSE(heardPosition) << log << ": " << line;
            return;
        }
        EXPECT_TRUE(heardPosition) << log << ": " << line;
        // Corrupt lines (spliced sentences) carry no coordinates worth the name.
        const bool coordinates = fields[2].find('.') == 4 && fields[4].find('.') == 5;
        const bool fix = coordinates && fields[6] != "0"; // an empty quality does not deny the fix
        EXPECT_EQ(last.IsValid(), fix) << log << ": " << line;
        if (last.IsValid()) {
            ++validPositions;
            EXPECT_LE(std::abs(last.Latitude()), 90 * 600000) << log << ": " << line;
            EXPECT_LE(std::abs(last.Longitude()), 180 * 600000) << log << ": " << line;
        }
        heardPosition = false;
    }
    static std::vector<std::string> Split(std::string_view line) {
        std::vector<std::string> out(1);
        for (char c : line) {
            if (c == ',')
                out.emplace_back();
            else if (c == '*' || c == '\r')
                break;
            else
                out.back() += c;
        }
        return out;
    }
};

TEST(TachoModelSources, SharedReceiverLogs) {
    const auto dir = platform::testing::SharedNmeaDir();
    if (dir.empty())
        GTEST_SKIP() << "the shared receiver logs (../shared/nmea) are not here";
    int logs = 0, totalValid = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".nmea")
            continue;
        ++logs;
        platform::testing::TempDevice device;
        platform::HostSettings h = platform::Host();
        h.ports = "COM1=replay:" + entry.path().string() + ",speed=1000";
        platform::Initialize(h);
        device.Put(u"\\gps.ini", platform::testing::Utf16File(
                                     u"[GPS-Settings]\r\nComPort = 1\r\nBaudRate = 4800\r\n"
                                     u"BufferSize = 4096\r\n"));
        TachoModel model(nullptr);
        model.CreateReceiver();
        Plausibility p;
        p.log = entry.path().filename().string();
        model.AddSpeedListener(&p);
        model.AddAltitudeListener(&p);
        model.AddPositionListener(&p);
        model.AddSentenceListener(&p);
        ASSERT_TRUE(model.Receiver()->Load(u"\\gps.ini")) << p.log;
        for (int tick = 0; tick < 20; ++tick) {
            platform::headless::AdvanceClock(1000);
            model.Receiver()->Poll();
        }
        totalValid += p.validPositions;
        if (p.ggaLines == 0 && p.speeds == 0)
            continue; // logs of other talkers only
        model.SetSpeedProtocol(1);
        model.Receiver()->Load(u"\\gps.ini");
        for (int tick = 0; tick < 20; ++tick) {
            platform::headless::AdvanceClock(1000);
            model.Receiver()->Poll();
        }
    }
    EXPECT_GT(logs, 10);
    EXPECT_GT(totalValid, 100);
}

} // namespace
