#include "ini/IniPath.h"
#include "platform/file.h"
#include "platform/messagebox.h"

namespace velvane {

namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string Cut(std::u16string s, size_t capacity) {
    if (capacity == 0)
        return {};
    if (s.size() > capacity - 1)
        s.resize(capacity - 1);
    return s;
}

// The running program's folder with its trailing separator, or empty after a
// message box.
std::u16string ProgramFolder() {
    std::u16string file = platform::ProgramFilePath().substr(0, MaxPath);
    size_t cut = file.find_last_of(u"\\/");
    if (file.empty() || cut == std::u16string::npos) {
        platform::MessageBox(nullptr, u"Der Pfad zum Programm konnte nicht ermittelt werden.",
                             u"Fehler", platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Error);
        return {};
    }
    return file.substr(0, cut + 1);
}

} // namespace

std::u16string JoinPath(std::u16string_view relative, std::u16string_view base, size_t capacity) {
    std::u16string out(base);
    if (!out.empty() && !IsSeparator(out.back()))
        out += u'\\';
    if (!relative.empty() && IsSeparator(relative[0]))
        relative.remove_prefix(1);
    while (!out.empty() && relative.size() >= 3 && relative[0] == u'.' && relative[1] == u'.' &&
           IsSeparator(relative[2])) {
        relative.remove_prefix(3);
        // Drop the last folder: everything after the separator before the final one.
        size_t last = out.size() - 1;
        size_t previous = last == 0 ? std::u16string::npos : out.find_last_of(u"\\/", last - 1);
        if (previous == std::u16string::npos)
            out.clear();
        else
            out.resize(previous + 1);
    }
    out += relative;
    return Cut(std::move(out), capacity);
}

std::u16string ProgramPath(std::u16string_view relative, size_t capacity) {
    std::u16string folder = ProgramFolder();
    if (folder.empty())
        return {};
    return JoinPath(relative, folder, capacity);
}

std::u16string RelativePath(std::u16string_view target, std::u16string_view base, size_t capacity) {
    size_t i = 0;
    size_t common = std::u16string::npos;
    while (i < target.size() && i < base.size() && target[i] == base[i]) {
        if (IsSeparator(target[i]))
            common = i + 1;
        ++i;
    }
    if (common == std::u16string::npos)
        return Cut(std::u16string(target), capacity);
    std::u16string out;
    for (size_t k = i; k < base.size(); ++k)
        if (IsSeparator(base[k]))
            out += u"..\\";
    out += target.substr(common);
    return Cut(std::move(out), capacity);
}

std::u16string PathRelativeToProgram(std::u16string_view target, size_t capacity) {
    std::u16string folder = ProgramFolder();
    if (folder.empty())
        return {};
    return RelativePath(target, folder, capacity);
}

} // namespace velvane
