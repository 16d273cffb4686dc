#pragma once
// A fresh device tree in a temporary host folder, with the headless backend
// started over it; removed again at the end of the test.
#include "platform/geometry.h"
#include "platform/host.h"
#include <filesystem>
#include <functional>
#include <string>

namespace platform::testing {

class TempDevice {
public:
    explicit TempDevice(std::u16string programFile = u"\\Program Files\\Velvane\\Velvane.exe",
                        int screenWidth = 480, int screenHeight = 272);
    ~TempDevice();
    const std::filesystem::path& Root() const { return m_root; }
    // Writes raw bytes to a device path, creating folders on the way.
    void Put(std::u16string_view devicePath, std::string_view bytes) const;
    std::string Get(std::u16string_view devicePath) const;
    std::filesystem::path HostPath(std::u16string_view devicePath) const;

private:
    std::filesystem::path m_root;
};

// "text" as UTF-16 LE bytes with the byte-order mark.
std::string Utf16File(std::u16string_view text, bool withBom = true);
// A 24-bit BMP file of w x h pixels; pixel(x, y) gives each colour, top row first.
std::string Bmp24File(int w, int h, const std::function<Color(int x, int y)>& pixel);

// Where the shared receiver logs are, or empty when they are not there.
std::filesystem::path SharedNmeaDir();

} // namespace platform::testing
