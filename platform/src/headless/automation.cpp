#include "automation.h"

namespace platform {

std::vector<ScriptCommand> ParseScript(const std::string& text, std::vector<std::string>& errors) {
    std::vector<ScriptCommand> commands;
    size_t pos = 0;
    int lineNumber = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        ScriptCommand command;
        command.line = lineNumber;
        bool ok = true;
        size_t i = first;
        while (i < line.size()) {
            if (line[i] == ' ' || line[i] == '\t') {
                ++i;
                continue;
            }
            std::string word;
            if (line[i] == '"') {
                size_t close = line.find('"', i + 1);
                if (close == std::string::npos) {
                    errors.push_back("line " + std::to_string(lineNumber) + ": unclosed quote");
                    ok = false;
                    break;
                }
                word = line.substr(i + 1, close - i - 1);
                i = close + 1;
            } else {
                size_t stop = line.find_first_of(" \t", i);
                if (stop == std::string::npos)
                    stop = line.size();
                word = line.substr(i, stop - i);
                i = stop;
            }
            command.words.push_back(std::move(word));
        }
        if (ok && !command.words.empty())
            commands.push_back(std::move(command));
        if (end == text.size())
            break;
    }
    return commands;
}

} // namespace platform
