#include "gps/LogFileName.h"
#include "ini/IniText.h"

#include <initializer_list>

namespace velvane {

namespace {

// "_" and the numbers as two digits each, joined by separator.
std::u16string Part(std::initializer_list<unsigned> numbers, char16_t separator) {
    std::u16string out = u"_";
    for (unsigned n : numbers) {
        if (out.size() > 1 && separator)
            out += separator;
        out += static_cast<char16_t>(u'0' + n % 100 / 10);
        out += static_cast<char16_t>(u'0' + n % 10);
    }
    return out;
}

} // namespace

std::u16string LogFileName(std::u16string_view path, unsigned parts,
                           const platform::SystemTime& local) {
    // Only a dot in the file name starts an extension: one in a folder name
    // must not carry the date into a folder that does not exist.
    const size_t name = FileNamePart(path);
    const size_t dot = path.substr(name).rfind(u'.');
    const size_t cut = dot == std::u16string_view::npos ? path.size() : name + dot;
    std::u16string out(path.substr(0, cut));
    if (parts & LogNameDate)
        out += Part({local.day, local.month, local.year}, 0);
    if (parts & LogNameTime)
        out += Part({local.hour, local.minute}, u'-');
    out += path.substr(cut);
    return out;
}

} // namespace velvane
