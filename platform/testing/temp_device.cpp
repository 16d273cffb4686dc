#include "platform/testing/temp_device.h"
#include "platform/headless.h"
#include "platform/text.h"
#include "platform/transcript.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::testing {

TempDevice::TempDevice(std::u16string programFile, int screenWidth, int screenHeight) {
    std::string templ = (fs::temp_directory_path() / "ce-device-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    m_root = templ;
    HostSettings h;
    h.root = m_root;
    h.registry = m_root / ".registry"; // inside the temporary folder so it goes with it
    h.backend = BackendKind::Headless;
    h.screenWidth = screenWidth;
    h.screenHeight = screenHeight;
    h.programFile = std::move(programFile);
    Initialize(h);
    TranscriptClear();
}

TempDevice::~TempDevice() {
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

fs::path TempDevice::HostPath(std::u16string_view devicePath) const {
    std::string p = ToUtf8(devicePath);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    while (!p.empty() && p[0] == '/')
        p.erase(0, 1);
    return m_root / p;
}

void TempDevice::Put(std::u16string_view devicePath, std::string_view bytes) const {
    fs::path host = HostPath(devicePath);
    fs::create_directories(host.parent_path());
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDevice::Get(std::u16string_view devicePath) const {
    std::ifstream in(HostPath(devicePath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Utf16File(std::u16string_view text, bool withBom) {
    std::string out;
    if (withBom)
        out += "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string Bmp24File(int w, int h, const std::function<Color(int x, int y)>& pixel) {
    const int stride = (w * 3 + 3) / 4 * 4;
    const uint32_t dataSize = static_cast<uint32_t>(stride * h);
    std::string b;
    auto u16 = [&b](uint32_t v) { b += char(v & 0xFF), b += char((v >> 8) & 0xFF); };
    auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    b += "BM";
    u32(54 + dataSize), u32(0), u32(54);
    u32(40), u32(w), u32(h), u16(1), u16(24), u32(0), u32(dataSize), u32(2835), u32(2835), u32(0),
        u32(0);
    for (int y = h - 1; y >= 0; --y) { // bottom row first
        std::string row;
        for (int x = 0; x < w; ++x) {
            const Color c = pixel(x, y);
            row += char(GetB(c)), row += char(GetG(c)), row += char(GetR(c));
        }
        row.resize(stride, '\0');
        b += row;
    }
    return b;
}

fs::path SharedNmeaDir() {
#ifdef SUITE_SHARED_DIR
    fs::path dir = fs::path(SUITE_SHARED_DIR) / "nmea";
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return dir;
#endif
    return {};
}

} // namespace platform::testing
