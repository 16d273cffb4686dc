#pragma once
// The copies the configuration script can order.
#include <string_view>

namespace lokaro {

enum class CopyKind {
    File = 0,              // the file, overwriting the target
    TextToUtf16 = 1,       // an 8-bit text file as UTF-16 with byte-order mark
    Tree = 2,              // a folder with all its files and subfolders
    TreeClearReadOnly = 3, // as Tree, also over read-only target files
};

// The copy of the script's mode number (a CopyKind); other numbers copy
// nothing and fail.
bool copyWithMode(std::u16string_view from, std::u16string_view to, int mode);

// FF FE, then every line of the 8-bit source as UTF-16 little-endian with
// its line feed as read (CR LF reads as LF).
bool copyTextToUtf16(std::u16string_view from, std::u16string_view to);

// The target folder (created when missing) gets every file of the source
// folder and, recursively, every subfolder. True only when every step
// succeeded; a target inside the source is refused, as it would copy itself
// without end.
bool copyTree(std::u16string_view from, std::u16string_view to);

} // namespace lokaro
