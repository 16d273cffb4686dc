#include "gps/LogOutputFile.h"

namespace velvane {

namespace {

// The last byte of an existing file, -1 when there is none. Read before the
// file is opened for appending, which shares it with nobody.
int LastByteOf(std::u16string_view path) {
    auto file =
        platform::File::Open(path, platform::FileAccess::Read, platform::FileShare::ReadWrite,
                             platform::FileCreation::OpenExisting);
    unsigned char last = 0;
    uint32_t got = 0;
    if (!file || file->Size() <= 0 || !file->Seek(-1, platform::SeekOrigin::End) ||
        !file->Read(&last, 1, got) || got != 1)
        return -1;
    return last;
}

} // namespace

std::unique_ptr<LogOutputFile> LogOutputFile::Open(std::u16string_view path) {
    const int lastByte = LastByteOf(path);
    auto file =
        platform::File::Open(path, platform::FileAccess::Append, platform::FileShare::Exclusive,
                             platform::FileCreation::OpenAlways);
    if (!file)
        return nullptr;
    return std::unique_ptr<LogOutputFile>(new LogOutputFile(std::move(file), lastByte));
}

uint32_t LogOutputFile::Write(const char* bytes, uint32_t length) {
    // Nobody else writes to the file (it is not shared), so its size is
    // where this record begins.
    const int64_t start = m_file->Size();
    if (m_file->Write(bytes, length))
        return length;
    if (start >= 0 && m_file->Size() > start)
        m_file->Truncate(start);
    return 0;
}

bool LogOutputFile::Sync() {
    return m_file->Flush();
}

bool LogOutputFile::IsStillThere() const {
    return m_file->IsStillAtPath();
}

} // namespace velvane
