#pragma once
// The 8-bit text files shared with the navigation application: lines of
// Windows-1252 text read into UTF-16 and written back from it.
#include "platform/file.h"

#include <memory>
#include <string>
#include <string_view>

namespace lokaro {

class TextFileReader {
public:
    // Null when the file cannot be opened (platform LastError says why).
    static std::unique_ptr<TextFileReader> Open(std::u16string_view devicePath);

    // The next line without its line end (LF or CR LF), cut to maxChars
    // characters. The rest of a longer line is skipped, so every line of the
    // file is one line here however long it is; control characters other
    // than tab read as blanks. False after the last line.
    bool ReadLine(std::u16string& line, size_t maxChars);

private:
    explicit TextFileReader(std::unique_ptr<platform::File> file) : m_file(std::move(file)) {}
    bool Fill();
    std::unique_ptr<platform::File> m_file;
    std::string m_buffer;
    size_t m_position = 0;
    bool m_end = false;
};

// text in the device's code page; a character it has no place for becomes
// "?", as the device's conversion does, so one odd letter never loses a file.
std::string toDeviceText(std::u16string_view text);

// The bytes of an 8-bit text file as the device's text stream reads them:
// CR LF becomes LF.
std::string textModeBytes(std::string_view bytes);

} // namespace lokaro
