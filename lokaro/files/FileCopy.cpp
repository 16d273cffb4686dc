#include "files/FileCopy.h"
#include "files/RouteFiles.h"
#include "files/TextFile.h"

#include "platform/error.h"
#include "platform/file.h"
#include "platform/text.h"

#include <algorithm>
#include <string>

namespace lokaro {

namespace {

std::u16string child(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    if (path.empty() || (path.back() != u'\\' && path.back() != u'/'))
        path += u'\\';
    return path + std::u16string(name);
}

bool isInside(std::u16string_view inner, std::u16string_view outer) {
    auto in = platform::HostPathOf(inner);
    auto out = platform::HostPathOf(outer);
    if (!in || !out)
        return false;
    auto [o, i] = std::mismatch(out->begin(), out->end(), in->begin(), in->end());
    return o == out->end();
}

} // namespace

bool copyWithMode(std::u16string_view from, std::u16string_view to, int mode) {
    switch (static_cast<CopyKind>(mode)) {
    case CopyKind::File:
        return platform::CopyFile(from, to, platform::CopyMode::Overwrite);
    case CopyKind::TextToUtf16:
        return copyTextToUtf16(from, to);
    case CopyKind::Tree:
    // Copies replace a target file whole (a new file renamed over it), which
    // its read-only attribute does not stop: the target ends up writable, as
    // clearing the attribute first would leave it.
    case CopyKind::TreeClearReadOnly:
        return copyTree(from, to);
    }
    platform::SetLastError(platform::ErrorCode::InvalidParameter,
                           "unknown copy mode " + std::to_string(mode));
    return false;
}

bool copyTextToUtf16(std::u16string_view from, std::u16string_view to) {
    auto bytes = platform::ReadFileContents(from);
    if (!bytes)
        return false;
    std::string out = "\xFF\xFE";
    for (char16_t c : platform::FromAnsi(textModeBytes(*bytes))) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return platform::ReplaceFileContents(to, out);
}

bool copyTree(std::u16string_view from, std::u16string_view to) {
    if (!platform::DirectoryExists(from)) {
        platform::SetLastError(platform::ErrorCode::PathNotFound,
                               "folder missing: \"" + platform::ToUtf8(from) + "\"");
        return false;
    }
    if (isInside(to, from)) {
        platform::SetLastError(platform::ErrorCode::InvalidParameter,
                               "target \"" + platform::ToUtf8(to) + "\" lies inside the source");
        return false;
    }
    bool ok = platform::DirectoryExists(to) || platform::CreateDirectory(to);
    for (const platform::FoundFile& found : platform::FindFiles(child(from, u"*"))) {
        const std::u16string source = child(from, found.name);
        const std::u16string target = child(to, found.name);
        if (found.attributes & platform::AttributeDirectory)
            ok = copyTree(source, target) && ok;
        else
            ok = platform::CopyFile(source, target, platform::CopyMode::Overwrite) && ok;
    }
    return ok;
}

} // namespace lokaro
