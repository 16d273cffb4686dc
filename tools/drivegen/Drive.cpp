#include "Drive.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace drivegen {

namespace {

constexpr double kEarthRadius = 6371000.0; // metres
constexpr double kRad = std::numbers::pi / 180.0;

enum class Area { Town, Open, Tunnel };

// One piece of the drive: how long, how fast the driver wants to go, and how
// much the road climbs and turns over it. A speed of 0 is a stop.
struct Leg {
    int seconds;
    double kmh;
    double climb; // metres
    double turn;  // degrees, clockwise
    Area area;
};

constexpr Leg kRoute[] = {
    {6, 0, 0, 0, Area::Town}, // parked, receiver already has a fix
    {25, 45, -1, 0, Area::Town},
    {22, 0, 0, 0, Area::Town}, // traffic lights
    {8, 18, 0, -90, Area::Town},
    {25, 30, 3, 0, Area::Town}, // 30 zone
    {7, 18, 0, 90, Area::Town},
    {22, 50, -2, 8, Area::Town},
    {18, 0, 0, 0, Area::Town}, // lights before the tunnel
    {10, 45, -4, 0, Area::Town},
    {24, 50, -20, 0, Area::Tunnel}, // down under the canal
    {24, 50, 10, 0, Area::Tunnel},
    {14, 50, 14, -6, Area::Town}, // ramp up below sea level, the fix comes back
    {22, 50, 2, 4, Area::Town},
    {14, 0, 0, 0, Area::Town},
    {8, 20, 0, 90, Area::Town},
    {25, 70, 6, 5, Area::Open},
    {18, 80, 2, 120, Area::Open}, // on-ramp
    {35, 120, 8, -5, Area::Open},
    {45, 130, 38, 0, Area::Open}, // up to the high bridge
    {25, 120, 0, 3, Area::Open},
    {35, 120, -40, -4, Area::Open},
    {35, 130, -4, 10, Area::Open},
    {20, 110, 6, 0, Area::Open},
    {16, 60, -3, 110, Area::Open}, // off-ramp
    {7, 0, 0, 0, Area::Town},      // give way
    {8, 20, 0, -90, Area::Town},
    {28, 50, -3, 0, Area::Town},
    {18, 0, 0, 0, Area::Town},
    {25, 40, -2, 10, Area::Town},
    {6, 15, 0, 90, Area::Town}, // into the car park
    {4, 0, 0, 0, Area::Town},
};

// A GPS satellite as seen from northern Germany. Its elevation swings
// between low and high at the given rate, so any length of drive keeps a
// sky that makes sense; two of them cross the horizon.
struct Orbit {
    int prn;
    double elevation, azimuth; // degrees at the start
    double elevationRate;      // degrees per minute
    double low, high;          // degrees
};

constexpr Orbit kSky[] = {
    {2, 63, 295, -0.2, 20, 80},   {5, 41, 68, 0.3, 15, 75},     {7, 18, 152, -0.25, 10, 60},
    {9, 27, 221, 0.35, 10, 65},   {12, 74, 120, 0.1, 30, 85},   {13, 8, 330, -0.3, 6, 40},
    {15, 35, 35, 0.2, 10, 70},    {18, 52, 178, -0.3, 15, 70},  {20, 11, 260, 0.3, 8, 55},
    {25, 2.2, 95, -0.45, -6, 30},                               // sets after about five minutes
    {26, 22, 8, -0.2, 8, 60},     {29, -1.0, 200, 0.4, -6, 40}, // rises after two and a half
                                                                // minutes
};
constexpr size_t kSkySize = std::size(kSky);

// SplitMix64: tiny, and the same numbers on every platform.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Symmetric() { return 2.0 * Uniform() - 1.0; }

private:
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t m_state;
};

// Bounded random walk for slowly wandering errors.
double Wander(double value, double step, Random& random) {
    return std::clamp(0.85 * value + step * random.Symmetric(), -1.0, 1.0);
}

class Simulator {
public:
    explicit Simulator(const DriveOptions& options)
        : m_random(options.seed), m_start(options.start), m_latitude(options.latitude),
          m_longitude(options.longitude) {
        m_reacquireAt.fill(0);
        m_snrNoise.fill(0.0);
    }

    Epoch Current() {
        Epoch e;
        e.utc = m_start + m_time;
        e.speedKmh = m_speed * 3.6;
        e.course = m_course;
        e.latitude = m_latitude;
        e.longitude = m_longitude;
        e.altitude = m_altitude + 2.5 * m_altitudeError;
        e.geoidSeparation = 40.1;
        e.travelled = m_travelled;
        e.satellites = Sky();
        const Dop dop = ComputeDop(e.satellites);
        e.fix = dop.ok;
        if (dop.ok) {
            e.pdop = dop.pdop;
            e.hdop = dop.hdop;
            e.vdop = dop.vdop;
        } else {
            for (SatelliteView& s : e.satellites)
                s.used = false;
        }
        return e;
    }

    void Step() {
        const Leg& leg = kRoute[m_leg];
        const bool wasInTunnel = m_area == Area::Tunnel;
        m_area = leg.area;

        m_speedJitter = Wander(m_speedJitter, 0.3, m_random);
        // Drivers keep up to 4 % below the limit.
        const double target = leg.kmh / 3.6 * (1.0 - 0.02 * (1.0 + m_speedJitter));
        const double accelerate = m_speed < 60 / 3.6 ? 2.0 : 0.8, brake = 2.8;
        const double speed = target > m_speed ? std::min(target, m_speed + accelerate)
                                              : std::max(target, m_speed - brake);
        const double course = speed > 0.5 ? m_course + leg.turn / leg.seconds : m_course;
        Move((m_speed + speed) / 2.0, (m_course + course) / 2.0);
        m_speed = speed;
        m_course = std::fmod(course + 360.0, 360.0);
        m_altitude += leg.climb / leg.seconds;
        m_altitudeError = Wander(m_altitudeError, 0.25, m_random);

        ++m_time;
        for (size_t i = 0; i < kSkySize; ++i) {
            m_snrNoise[i] = Wander(m_snrNoise[i], 0.4, m_random);
            // Each satellite needs its own few seconds to be found again.
            const int delay = 2 + static_cast<int>(m_random.Uniform() * 12);
            if (wasInTunnel && m_area != Area::Tunnel)
                m_reacquireAt[i] = m_time + delay;
        }
        if (++m_legTime == leg.seconds) {
            m_legTime = 0;
            m_leg = (m_leg + 1) % std::size(kRoute); // longer drives go round again
        }
    }

private:
    void Move(double metres, double course) {
        const double c = course * kRad;
        m_latitude += metres * std::cos(c) / kEarthRadius / kRad;
        m_longitude += metres * std::sin(c) / (kEarthRadius * std::cos(m_latitude * kRad)) / kRad;
        if (m_longitude >= 180.0)
            m_longitude -= 360.0;
        else if (m_longitude < -180.0)
            m_longitude += 360.0;
        m_travelled += metres;
    }

    std::vector<SatelliteView> Sky() const {
        std::vector<SatelliteView> sky;
        const double minutes = m_time / 60.0;
        for (size_t i = 0; i < kSkySize; ++i) {
            const Orbit& o = kSky[i];
            const double span = o.high - o.low;
            double swing = std::fmod(o.elevation - o.low + o.elevationRate * minutes, 2 * span);
            if (swing < 0)
                swing += 2 * span;
            const double elevation = o.low + (swing <= span ? swing : 2 * span - swing);
            if (elevation < 0.0)
                continue;
            SatelliteView s{o.prn, static_cast<int>(std::lround(elevation)),
                            static_cast<int>(o.azimuth)};
            if (m_area != Area::Tunnel && m_time >= m_reacquireAt[i]) {
                // Low satellites are weaker and flicker more (multipath).
                const double rise = std::sin(elevation * kRad);
                double snr = 26.0 + 22.0 * rise + (3.0 + 5.0 * (1.0 - rise)) * m_snrNoise[i];
                if (elevation < 3.0)
                    snr -= 8.0;
                // Houses along the street shade low satellites to the sides.
                if (m_area == Area::Town && elevation < 35.0 &&
                    std::fabs(std::sin((o.azimuth - m_course) * kRad)) > 0.6)
                    snr -= 14.0;
                if (snr >= 20.0)
                    s.snr = static_cast<int>(std::lround(snr));
            }
            s.used = s.snr >= 26 && elevation >= 5.0;
            sky.push_back(s);
        }
        return sky;
    }

    Random m_random;
    int64_t m_start;
    int64_t m_time = 0;
    size_t m_leg = 0;
    int m_legTime = 0;
    Area m_area = Area::Town;
    double m_latitude, m_longitude;
    double m_travelled = 0.0;
    double m_altitude = 4.0;
    double m_speed = 0.0; // m/s
    double m_course = 172.0;
    double m_speedJitter = 0.0, m_altitudeError = 0.0;
    std::array<double, kSkySize> m_snrNoise;
    std::array<int64_t, kSkySize> m_reacquireAt;
};

// Solves (G^T G) Q = I for the 4x4 normal matrix by Gauss-Jordan elimination.
bool Invert(std::array<std::array<double, 8>, 4>& m) {
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col]))
                pivot = row;
        if (std::fabs(m[pivot][col]) < 1e-9)
            return false;
        std::swap(m[col], m[pivot]);
        const double p = m[col][col];
        for (double& v : m[col])
            v /= p;
        for (int row = 0; row < 4; ++row)
            if (row != col) {
                const double f = m[row][col];
                for (int k = 0; k < 8; ++k)
                    m[row][k] -= f * m[col][k];
            }
    }
    return true;
}

bool ParseNumber(const std::string& text, auto& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

} // namespace

Dop ComputeDop(const std::vector<SatelliteView>& satellites) {
    std::array<std::array<double, 8>, 4> m{};
    int used = 0;
    for (const SatelliteView& s : satellites) {
        if (!s.used)
            continue;
        ++used;
        const double el = s.elevation * kRad, az = s.azimuth * kRad;
        const double g[4] = {-std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az),
                             -std::sin(el), 1.0};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m[r][c] += g[r] * g[c];
    }
    for (int r = 0; r < 4; ++r)
        m[r][4 + r] = 1.0;
    Dop dop;
    if (used < 4 || !Invert(m))
        return dop;
    dop.ok = true;
    dop.hdop = std::sqrt(m[0][4] + m[1][5]);
    dop.vdop = std::sqrt(m[2][6]);
    dop.pdop = std::sqrt(m[0][4] + m[1][5] + m[2][6]);
    return dop;
}

std::vector<Epoch> SimulateDrive(const DriveOptions& options) {
    Simulator simulator(options);
    std::vector<Epoch> epochs;
    epochs.reserve(std::max(options.seconds, 0));
    for (int i = 0; i < options.seconds; ++i) {
        if (i > 0)
            simulator.Step();
        epochs.push_back(simulator.Current());
    }
    return epochs;
}

std::string DriveLog(const DriveOptions& options) {
    std::string log;
    for (const Epoch& e : SimulateDrive(options))
        log += FormatEpoch(e);
    return log;
}

double DriveLength(const std::vector<Epoch>& epochs) {
    return epochs.empty() ? 0.0 : epochs.back().travelled;
}

std::string GpsIni(int comPort, int baudRate) {
    const std::string text = "[GPS-Settings]\r\n"
                             "ComPort = " +
                             std::to_string(comPort) +
                             "\r\n"
                             "BaudRate = " +
                             std::to_string(baudRate) +
                             "\r\n"
                             "BufferSize = 512\r\n"
                             "DefaultInterval = 1\r\n"
                             "AllOFF = n\r\n"
                             // Today's receivers also talk as $GN, $GL ...
                             "AnyTalker = y\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : text) { // the text is ASCII
        utf16 += c;
        utf16 += '\0';
    }
    return utf16;
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args, std::string& error) {
    Arguments result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--seconds" || arg == "--seed" || arg == "--start" ||
                                arg == "--gps-ini" || arg == "--origin";
        if (takesValue && i + 1 == args.size()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        if (arg == "--seconds") {
            const std::string& v = args[++i];
            if (!ParseNumber(v, result.drive.seconds) || result.drive.seconds < 1 ||
                result.drive.seconds > 86400) {
                error = "--seconds wants a whole number from 1 to 86400, not \"" + v + "\"";
                return std::nullopt;
            }
        } else if (arg == "--seed") {
            const std::string& v = args[++i];
            if (!ParseNumber(v, result.drive.seed)) {
                error =
                    "--seed wants a whole number from 0 to 18446744073709551615, not \"" + v + "\"";
                return std::nullopt;
            }
        } else if (arg == "--start") {
            const std::string& v = args[++i];
            const auto start = ParseUtc(v);
            if (!start) {
                error = "--start wants a UTC time like 2024-12-31T23:55:00, not \"" + v + "\"";
                return std::nullopt;
            }
            result.drive.start = *start;
        } else if (arg == "--origin") {
            const std::string& v = args[++i];
            const size_t comma = v.find(',');
            double latitude = 0, longitude = 0;
            if (comma == std::string::npos || !ParseNumber(v.substr(0, comma), latitude) ||
                !ParseNumber(v.substr(comma + 1), longitude) || !(latitude >= -80.0) ||
                !(latitude <= 80.0) || !(longitude >= -180.0) || !(longitude < 180.0)) {
                error = "--origin wants LATITUDE,LONGITUDE in degrees, -80 to 80 and -180 to "
                        "below 180, like 54.30658,9.66312, not \"" +
                        v + "\"";
                return std::nullopt;
            }
            result.drive.latitude = latitude;
            result.drive.longitude = longitude;
        } else if (arg == "--gps-ini") {
            result.gpsIni = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (result.output.empty()) {
            result.output = arg;
        } else {
            error = "more than one output path: " + result.output + " and " + arg;
            return std::nullopt;
        }
    }
    if (result.output.empty()) {
        error = "no output path given";
        return std::nullopt;
    }
    return result;
}

} // namespace drivegen
