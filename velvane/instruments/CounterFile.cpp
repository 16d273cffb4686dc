#include "instruments/CounterFile.h"

#include "ini/IniText.h"

#include "platform/file.h"

#include <algorithm>
#include <array>
#include <memory>

namespace velvane {

std::u16string CounterFilePath(std::u16string_view iniPath, std::u16string_view suffix) {
    // Only a dot in the file name counts: a dotted folder name must not move
    // the counter out of the INI file's folder.
    const size_t name = FileNamePart(iniPath);
    const size_t dot = iniPath.substr(name).rfind(u'.');
    std::u16string path(dot == std::u16string_view::npos ? iniPath : iniPath.substr(0, name + dot));
    path += suffix;
    return path;
}

CounterRead ReadCounterFile(std::u16string_view path, uint32_t& value) {
    value = 0;
    auto file = platform::File::Open(path, platform::FileAccess::Read, platform::FileShare::Read,
                                     platform::FileCreation::OpenExisting);
    if (!file)
        return CounterRead::Missing;
    std::array<uint8_t, 4> bytes{};
    uint32_t got = 0, total = 0;
    while (total < bytes.size() && file->Read(bytes.data() + total, 4 - total, got) && got > 0)
        total += got;
    if (total < bytes.size())
        return CounterRead::Short;
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return CounterRead::Read;
}

CounterWrite WriteCounterFile(std::u16string_view path, uint32_t value) {
    auto file = platform::AtomicFile::Create(path);
    if (!file)
        return CounterWrite::NotCreated;
    const std::array<uint8_t, 4> bytes{
        static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    if (!file->Stream().Write(bytes.data(), bytes.size()))
        return CounterWrite::Failed;
    return file->Commit() ? CounterWrite::Written : CounterWrite::Failed;
}

int CopyText(std::u16string_view text, char16_t* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    const size_t length = std::min(text.size(), static_cast<size_t>(capacity));
    std::copy_n(text.begin(), length, buffer);
    return static_cast<int>(length);
}

std::u16string Decimal(uint64_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::u16string TwoDigits(uint32_t value) {
    return value < 10 ? u"0" + Decimal(value) : Decimal(value);
}

} // namespace velvane
