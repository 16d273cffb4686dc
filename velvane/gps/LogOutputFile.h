#pragma once
// The open file of a log. Records go to the system one write each, so a
// program killed at any moment leaves only whole records behind.
#include "platform/file.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velvane {

class LogOutputFile {
public:
    // Opened for appending, created when missing, shared with nobody. Null
    // (LastError says why) when it cannot be opened.
    static std::unique_ptr<LogOutputFile> Open(std::u16string_view path);

    // The bytes written: all of them, or 0. A write the storage could take
    // only in part is cut off again, so that a full card never leaves half a
    // line in front of everything logged after it.
    uint32_t Write(const char* bytes, uint32_t length);
    // Pushes what was written to the medium.
    bool Sync();
    // False once another program deleted, moved or replaced the file.
    bool IsStillThere() const;
    const std::u16string& Path() const { return m_file->DevicePath(); }

private:
    explicit LogOutputFile(std::unique_ptr<platform::File> file) : m_file(std::move(file)) {}
    std::unique_ptr<platform::File> m_file;
};

} // namespace velvane
