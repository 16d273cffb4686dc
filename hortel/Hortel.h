#pragma once
// Saves the registry to a file or restores it from one, as the command line
// says, and after a restore may offer a soft reset.
#include <string_view>

namespace hortel {

// The whole run; the result is the program's exit code.
int Run(std::u16string_view commandLine);

} // namespace hortel
