// Cost of a dashboard frame at 800 x 480 with the overlays on over the
// speedometer, beside the bare speedometer frame in the same run. Each frame
// first takes one second's sentences through the receiver, as on the road.
// The overlays are made by section name through the factory, so every class
// that is built counts; the counter "drawn" says how many drew.
#include "app/ComponentFactory.h"
#include "app/TachoModel.h"
#include "display/Screen.h"
#include "gps/GpsReceiver.h"
#include "instruments/SpeedoView.h"

#include "platform/canvas.h"
#include "platform/host.h"
#include "platform/testing/temp_device.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace velvane;

constexpr int Width = 800;
constexpr int Height = 480;

// Every overlay class but the destination arrow and the frame rate; the
// first ten make the usual full dashboard.
constexpr const char16_t* OverlayClasses[] = {
    u"TopSpeed", u"AverageSpeed", u"SatCount",     u"Odometer",    u"JourneyTime",
    u"HDOP",     u"CustomText",   u"UniversalGPS", u"UphillGrade", u"AccelerationOverlay",
    u"Battery",  u"Clock",        u"Compass",
};

// A scratch device tree with the skins, removed at the end. Overlays of one
// kind share a skin that every overlay reads what it knows from.
class BenchDevice : public platform::testing::TempDevice {
public:
    BenchDevice() : TempDevice(u"\\Program Files\\Velvane\\Velvane.exe", Width, Height) {
        using platform::testing::Utf16File;
        Put(u"\\Skins\\speedo.ini",
            Utf16File(u"[AnalogMetrics]\r\nX = 260\r\nY = 250\r\nRadius = 210\r\nNeedleStyle = "
                      u"3\r\nDigitSize = 28\r\n\r\n[DigitalMetrics]\r\nX = 640\r\nY = 250\r\n"
                      u"DigitSize = 90\r\n"));
        for (int i = 0; i < static_cast<int>(std::size(OverlayClasses)); ++i) {
            // Text overlays in two columns down the right; shapes in the top left.
            const int x = i % 2 ? -10 : 500, y = 10 + (i / 2) * 34;
            Put(Skin(i), Utf16File(u"[Settings]\r\nX = " + Number(x) + u"\r\nY = " + Number(y) +
                                   u"\r\nSize = 26\r\nWeight = 700\r\n[Metrics]\r\nX = " +
                                   Number(10 + i * 70) +
                                   u"\r\nY = 10\r\nWidth = 60\r\nHeight = "
                                   u"26\r\n[GPS-Info]\r\nSentence = GPGGA\r\nIndex = 9\r\n"
                                   u"[Text]\r\nText = Gute Fahrt\r\n"));
        }
    }
    static std::u16string Skin(int i) { return u"\\Skins\\o" + Number(i) + u".ini"; }

private:
    static std::u16string Number(int n) {
        const std::string s = std::to_string(n);
        return std::u16string(s.begin(), s.end());
    }
};

// A second of a drive: position, speed, course, fix quality and satellites.
std::vector<std::string> Sentences(int second) {
    char rmc[128], gga[128], vtg[96], gsv[96];
    const int speed = 40 + second % 60;
    std::snprintf(rmc, sizeof rmc,
                  "$GPRMC,12%02d%02d,A,4807.%03d,N,01131.000,E,%03d.0,084.4,230394,,*00\r\n",
                  second / 60 % 60, second % 60, second % 1000, speed / 2);
    std::snprintf(gga, sizeof gga,
                  "$GPGGA,12%02d%02d,4807.%03d,N,01131.000,E,1,%02d,%d.%d,%d.0,M,46.9,M,,*00\r\n",
                  second / 60 % 60, second % 60, second % 1000, 4 + second % 8, 1 + second % 3,
                  second % 10, 500 + second % 40);
    std::snprintf(vtg, sizeof vtg, "$GPVTG,%03d.0,T,,M,,N,%03d.0,K*00\r\n", second * 7 % 360,
                  speed);
    std::snprintf(gsv, sizeof gsv, "$GPGSV,1,1,%02d*00\r\n", 8 + second % 5);
    return {rmc, gga, vtg, gsv};
}

class Dashboard {
public:
    explicit Dashboard(int overlays) : m_screen(nullptr, Width, Height), m_model(nullptr) {
        m_model.CreateReceiver();
        m_speedo = FindComponentClass(u"Speedo")->CreateEntry(m_screen, &m_model);
        m_speedo->Activate();
        m_speedo->LoadIni(u"\\Skins\\speedo.ini");
        m_screen.SetTop(nullptr);
        m_screen.SetView(m_speedo->GetDrawable());
        for (int i = 0; i < overlays; ++i) {
            const ComponentClass* cls = FindComponentClass(OverlayClasses[i]);
            auto entry = cls->CreateEntry(m_screen, &m_model);
            if (entry->Activate(BenchDevice::Skin(i)) && entry->GetDrawable()) {
                m_screen.AddOverlay(entry->GetDrawable());
                ++m_drawn;
            }
            m_overlays.push_back(std::move(entry));
        }
        m_back = platform::Canvas::Create(Width, Height);
    }

    void Frame(int second) {
        for (const std::string& line : Sentences(second))
            m_model.Receiver()->DispatchLine(line);
        m_screen.Draw(*m_back, 0, 0);
    }
    int Drawn() const { return m_drawn; }
    const platform::Canvas& Back() const { return *m_back; }

private:
    Screen m_screen;
    TachoModel m_model;
    std::unique_ptr<ComponentEntry> m_speedo;
    std::vector<std::unique_ptr<ComponentEntry>> m_overlays;
    std::unique_ptr<platform::Canvas> m_back;
    int m_drawn = 0;
};

void Run(benchmark::State& state, int overlays) {
    BenchDevice device;
    Dashboard dashboard(overlays);
    int second = 0;
    for (auto _ : state) {
        dashboard.Frame(second++);
        benchmark::DoNotOptimize(dashboard.Back().Surface());
    }
    state.counters["drawn"] = dashboard.Drawn();
    state.SetItemsProcessed(state.iterations());
}

void SpeedoBareFrame(benchmark::State& state) {
    Run(state, 0);
}
BENCHMARK(SpeedoBareFrame)->Unit(benchmark::kMicrosecond);

void SpeedoWithOverlaysFrame(benchmark::State& state) {
    Run(state, static_cast<int>(state.range(0)));
}
// Ten, as on a full dashboard, and every one there is.
BENCHMARK(SpeedoWithOverlaysFrame)
    ->Arg(10)
    ->Arg(static_cast<int>(std::size(OverlayClasses)))
    ->Unit(benchmark::kMicrosecond);

} // namespace
