#include "ini/IniParser.h"
#include "ini/IniText.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/messagebox.h"

#include <cstdio>
#include <string>

namespace velvane {

namespace {

using platform::MessageBox;
using platform::MessageBoxButtons;
using platform::MessageBoxIcon;

struct LineReader {
    platform::File& file;
    char16_t buffer[IniParser::MaxLineLength + 1];

    // Reads one line into buffer, NUL-terminated; returns its length, or -1
    // when nothing could be read (a failed read or a stray odd byte at the
    // end), which ends the parse.
    int Next() {
        char bytes[IniParser::MaxLineLength * 2];
        uint32_t got = 0;
        if (!file.Read(bytes, sizeof bytes, got))
            got = 0;
        const int count = static_cast<int>(got / 2);
        if (count == 0)
            return -1;
        for (int i = 0; i < count; ++i)
            buffer[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                              static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        int length = count;
        int consumed = count;
        for (int i = 0; i < count; ++i) {
            if (buffer[i] == u'\r' || buffer[i] == u'\n') {
                length = i;
                consumed = i + 1;
                if (buffer[i] == u'\r' && i + 1 < count && buffer[i + 1] == u'\n')
                    consumed = i + 2;
                break;
            }
        }
        buffer[length] = 0;
        file.Seek(static_cast<int64_t>(consumed - static_cast<int>(got / 2)) * 2 -
                      static_cast<int64_t>(got % 2),
                  platform::SeekOrigin::Current);
        return length;
    }
};

struct Split {
    int keyStart = 0, keyLength = 0, valueStart = 0, valueLength = 0;
};

// The attribute state machine: key, blanks, "=", blanks, value; trailing
// blanks are not part of the value and a value must be there.
bool SplitAttribute(const char16_t* line, int length, Split& out) {
    int i = 0;
    while (i < length && IsBlank(line[i]))
        ++i;
    out.keyStart = i;
    while (i < length && !IsBlank(line[i]) && line[i] != u'=')
        ++i;
    out.keyLength = i - out.keyStart;
    while (i < length && IsBlank(line[i]))
        ++i;
    if (i >= length || line[i] != u'=')
        return false;
    ++i;
    while (i < length && IsBlank(line[i]))
        ++i;
    if (i >= length)
        return false;
    out.valueStart = i;
    int end = length;
    while (end > i && IsBlank(line[end - 1]))
        --end;
    out.valueLength = end - i;
    return true;
}

class Reporter {
public:
    // Shows "Zeile n:" with the line; Cancel silences the rest of this file.
    void Report(const char16_t* caption, unsigned lineNumber, const char16_t* line) {
        if (!m_on)
            return;
        std::u16string text;
        char head[32];
        std::snprintf(head, sizeof head, "Zeile %u:\n\"", lineNumber);
        for (const char* p = head; *p; ++p)
            text += static_cast<char16_t>(*p);
        text += std::u16string_view(line, TextLength(line));
        text += u'"';
        if (text.size() > 299) // the device formats into 300 characters
            text.resize(299);
        if (MessageBox(nullptr, text, caption, MessageBoxButtons::OkCancel,
                       MessageBoxIcon::Exclamation) == platform::IdCancel)
            m_on = false;
    }

private:
    bool m_on = true;
};

// Reports why a file is not read. The reason is left in LastError after the
// message box, so callers can tell a missing file from one they must not
// overwrite.
bool Refuse(platform::ErrorCode reason, std::u16string_view caption, std::u16string_view text) {
    MessageBox(nullptr, text, caption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
    platform::SetLastError(reason, "ini file not read");
    return false;
}

} // namespace

bool IniParser::Load(std::u16string_view path) {
    if (path.empty())
        return false;
    // Only regular files: opening a FIFO or a device for reading may block
    // for good, and a folder has no lines.
    if (!platform::FileExists(path)) {
        if (platform::FindFiles(path).empty())
            return Refuse(platform::ErrorCode::FileNotFound, u"Datei nicht gefunden:", path);
        std::u16string text = u"Die Datei ist keine normale Datei:\n";
        text += path.substr(0, 259);
        return Refuse(platform::ErrorCode::AccessDenied, u"IniParser - Fehler", text);
    }
    auto file = platform::File::Open(path, platform::FileAccess::Read, platform::FileShare::Read,
                                     platform::FileCreation::OpenExisting);
    if (!file)
        return Refuse(platform::LastError().code, u"Datei nicht gefunden:", path);
    unsigned char bom[2] = {0, 0};
    uint32_t got = 0;
    if (!file->Read(bom, 2, got) || got != 2 || bom[0] != 0xFF || bom[1] != 0xFE) {
        std::u16string text = u"Die Datei ist leer oder nicht im Unicode Format:\n";
        text += path.substr(0, 259);
        return Refuse(platform::ErrorCode::InvalidData, u"IniParser - Fehler", text);
    }

    LineReader reader{*file, {}};
    Reporter reporter;
    int sectionId = 0;
    unsigned lineNumber = 0;
    const int64_t size = file->Size();
    while (file->Position() < size) {
        const int length = reader.Next();
        if (length < 0)
            break;
        ++lineNumber;
        char16_t* line = reader.buffer;
        switch (line[0]) {
        case 0:
        case u'#':
        case u'\'':
        case u'(':
        case u'/':
        case u';':
            continue;
        case u'[':
            // The last character, normally "]", is dropped whatever it is.
            sectionId = OnSection(std::u16string_view(line + 1, length >= 2 ? length - 2 : 0));
            if (sectionId == 0)
                reporter.Report(u"IniParser - Ignoriere unbekannte Sektion:", lineNumber, line);
            continue;
        default:
            break;
        }
        if (sectionId == 0) {
            reporter.Report(u"IniParser - Ignoriere sektionsloses Attribut:", lineNumber, line);
            continue;
        }
        Split split;
        if (!SplitAttribute(line, length, split)) {
            reporter.Report(u"IniParser - Ignoriere Fehler:", lineNumber, line);
            continue;
        }
        char16_t* key = line + split.keyStart;
        char16_t* value = line + split.valueStart;
        key[split.keyLength] = 0;
        value[split.valueLength] = 0;
        if (!OnAttribute(sectionId, std::u16string_view(key, split.keyLength),
                         std::u16string_view(value, split.valueLength))) {
            key[split.keyLength] = u' ';
            reporter.Report(u"IniParser - Ignoriere unbekanntes Attribut:", lineNumber, line);
        }
    }
    return true;
}

bool IniParser::OnAttribute(int, std::u16string_view, std::u16string_view) {
    return false;
}

int IniParser::OnSection(std::u16string_view) {
    return 0;
}

int IniParser::FirstSectionId() {
    return 1;
}

} // namespace velvane
