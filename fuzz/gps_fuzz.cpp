// Fuzz target: sentence dispatch, the speed, altitude and position sources,
// and the text forms of GeoPosition.
//
// Build (clang 14, libFuzzer), after a normal build in BUILD that made the
// platform and INI libraries:
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -I velvane -I platform/include \
//     fuzz/gps_fuzz.cpp velvane/gps/*.cpp velvane/instruments/GeoPosition.cpp \
//     velvane/instruments/PositionSource.cpp BUILD/velvane/ini/libvelvane_ini.a \
//     BUILD/platform/libplatform.a $(pkg-config --libs cairo fontconfig sdl2 sqlite3 x11 xtst) \
//     -o gps_fuzz
//   ./gps_fuzz -max_total_time=600 fuzz/corpus-gps
#include "gps/AltitudeSource.h"
#include "gps/GpsReceiver.h"
#include "gps/NmeaField.h"
#include "gps/SpeedSource.h"
#include "instruments/GeoPosition.h"
#include "instruments/PositionSource.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace velvane;

namespace {

struct Checker : SpeedListener, AltitudeListener, PositionListener {
    void OnSpeed(int32_t speed) override {
        if (speed < 0)
            std::abort();
    }
    void OnAltitude(int32_t) override {}
    void OnPosition(const GeoPosition& p) override {
        if (p.IsValid()) {
            char16_t text[64];
            if (p.Format(text, 64) > 64)
                std::abort();
            (void)p.DistanceTo(GeoPosition(p.Longitude(), p.Latitude()));
        }
    }
};

struct World {
    GpsReceiver receiver{nullptr};
    RmcSpeedSource rmc;
    VtgSpeedSource vtg;
    AltitudeSource altitude;
    PositionSource position;
    Checker checker;
    World() {
        rmc.AddListener(&checker);
        vtg.AddListener(&checker);
        altitude.AddListener(&checker);
        position.AddListener(&checker);
        receiver.AddSentenceListener(&rmc);
        receiver.AddSentenceListener(&vtg);
        receiver.AddSentenceListener(&altitude);
        receiver.AddSentenceListener(&position);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Lines as the receiver cuts them: up to and including CR LF.
    size_t start = 0;
    for (size_t i = 1; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && bytes[i - 1] == '\r') {
            world.receiver.DispatchLine(bytes.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    world.receiver.DispatchLine(bytes.substr(start));

    for (int n = 0; n < 16; ++n)
        if (auto field = NmeaField(bytes, n))
            (void)ReadFixedPoint(*field, n % 4);

    // The whole input as the INI text forms, two bytes a character.
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    GeoPosition p;
    if (text.size() >= 13)
        p.ParseLatitudeText(std::u16string_view(text).substr(0, 13));
    if (text.size() >= 14)
        p.ParseLongitudeText(std::u16string_view(text).substr(text.size() - 14));
    char16_t small[8];
    if (p.Format(small, sizeof small / sizeof small[0]) > 8)
        std::abort();
    (void)p.Northing();
    (void)p.DistanceTo(GeoPosition());
    return 0;
}
