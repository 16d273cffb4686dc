#include "files/TextFile.h"

#include "platform/text.h"

namespace lokaro {

namespace {

constexpr uint32_t ReadBlock = 4096;

} // namespace

std::unique_ptr<TextFileReader> TextFileReader::Open(std::u16string_view devicePath) {
    auto file =
        platform::File::Open(devicePath, platform::FileAccess::Read, platform::FileShare::Read,
                             platform::FileCreation::OpenExisting);
    if (!file)
        return nullptr;
    return std::unique_ptr<TextFileReader>(new TextFileReader(std::move(file)));
}

bool TextFileReader::Fill() {
    if (m_end)
        return false;
    m_buffer.erase(0, m_position);
    m_position = 0;
    const size_t old = m_buffer.size();
    m_buffer.resize(old + ReadBlock);
    uint32_t got = 0;
    if (!m_file->Read(m_buffer.data() + old, ReadBlock, got) || got == 0)
        m_end = true;
    m_buffer.resize(old + got);
    return got > 0;
}

bool TextFileReader::ReadLine(std::u16string& line, size_t maxChars) {
    std::string bytes;
    bool any = false;
    for (;;) {
        if (m_position == m_buffer.size() && !Fill())
            break;
        any = true;
        const size_t feed = m_buffer.find('\n', m_position);
        const size_t stop = feed == std::string::npos ? m_buffer.size() : feed;
        if (bytes.size() < maxChars + 1) // one more keeps a CR before the feed
            bytes.append(m_buffer, m_position,
                         std::min(stop - m_position, maxChars + 1 - bytes.size()));
        m_position = stop;
        if (feed != std::string::npos) {
            ++m_position;
            break;
        }
    }
    if (!any)
        return false;
    if (!bytes.empty() && bytes.back() == '\r')
        bytes.pop_back();
    if (bytes.size() > maxChars)
        bytes.resize(maxChars);
    line = platform::FromAnsi(bytes);
    for (char16_t& c : line)
        if (c < u' ' && c != u'\t')
            c = u' ';
    return true;
}

std::string toDeviceText(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (auto ansi = platform::ToAnsi(text.substr(i, 1))) {
            out += *ansi;
            continue;
        }
        out += '?';
        // A surrogate pair is one character.
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            ++i;
    }
    return out;
}

std::string textModeBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out += bytes[i];
    }
    return out;
}

} // namespace lokaro
