#include "instruments/OverlayText.h"

#include <algorithm>

namespace velvane {

int CopyOverlayText(std::u16string_view text, char16_t* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    const int n = static_cast<int>(std::min<size_t>(text.size(), static_cast<size_t>(capacity)));
    std::copy_n(text.data(), n, buffer);
    return n;
}

int CopyOverlayText(std::string_view ascii, char16_t* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    const int n = static_cast<int>(std::min<size_t>(ascii.size(), static_cast<size_t>(capacity)));
    for (int i = 0; i < n; ++i)
        buffer[i] = static_cast<unsigned char>(ascii[i]);
    return n;
}

} // namespace velvane
