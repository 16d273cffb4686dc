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

TempDevice::TempDevice(std::u16string programFile) {
    std::string templ = (fs::temp_directory_path() / "ce-device-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    m_root = templ;
    HostSettings h;
    h.root = m_root;
    h.registry = m_root / ".registry"; // inside the temporary folder so it goes with it
    h.backend = BackendKind::Headless;
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
