#pragma once
// Paths in settings files are relative: to the program's folder or to the
// folder of the INI file that names them.
#include <cstddef>
#include <string>
#include <string_view>

namespace velvane {

constexpr size_t MaxPath = 260;

// base and relative joined; a leading separator of relative is dropped (every
// path is relative to the base) and leading "..\\" steps climb out of base.
// The result holds at most capacity - 1 characters.
std::u16string JoinPath(std::u16string_view relative, std::u16string_view base,
                        size_t capacity = MaxPath);
// relative joined to the running program's folder; empty, after telling the
// user, when that folder is unknown.
std::u16string ProgramPath(std::u16string_view relative, size_t capacity = MaxPath);
// A path that leads from the folder base to target, made of "..\\" steps. A
// target that shares no leading separator with base is returned unchanged.
std::u16string RelativePath(std::u16string_view target, std::u16string_view base,
                            size_t capacity = MaxPath);
std::u16string PathRelativeToProgram(std::u16string_view target, size_t capacity = MaxPath);

} // namespace velvane
