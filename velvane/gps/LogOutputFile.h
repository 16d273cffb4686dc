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
    // True when the file was empty when opened or its last byte was c.
    bool EndedWith(char c) const {
        return m_lastByte < 0 || m_lastByte == static_cast<unsigned char>(c);
    }
    const std::u16string& Path() const { return m_file->DevicePath(); }

private:
    LogOutputFile(std::unique_ptr<platform::File> file, int lastByte)
        : m_file(std::move(file)), m_lastByte(lastByte) {}
    std::unique_ptr<platform::File> m_file;
    int m_lastByte; // -1: empty or new
};

} // namespace velvane
