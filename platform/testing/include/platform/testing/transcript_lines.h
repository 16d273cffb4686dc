#pragma once
// The transcript so far, picked for a test's assertions.
#include <string>
#include <string_view>
#include <vector>

namespace platform::testing {

// Every message box, as its transcript line.
std::vector<std::string> MessageBoxes();
// Every dialog and file dialog opened or closed, and their answers.
std::vector<std::string> DialogLines();

} // namespace platform::testing
