#pragma once
// Automation scripts: one command a line, words separated by blanks, a word
// with blanks in double quotes (no escapes), "#" starts a comment line.
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct ScriptCommand {
    int line = 0;
    std::vector<std::string> words; // words[0] is the verb
};

// Commands of a script text; malformed lines (an unclosed quote) are
// reported in errors with their line number and left out.
std::vector<ScriptCommand> ParseScript(const std::string& text, std::vector<std::string>& errors);

} // namespace platform
