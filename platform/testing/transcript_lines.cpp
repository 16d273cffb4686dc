#include "platform/testing/transcript_lines.h"
#include "platform/transcript.h"

namespace platform::testing {

namespace {

std::vector<std::string> LinesStartingWith(std::initializer_list<std::string_view> prefixes) {
    std::vector<std::string> out;
    for (auto& line : TranscriptLines())
        for (std::string_view prefix : prefixes)
            if (std::string_view(line).substr(0, prefix.size()) == prefix) {
                out.push_back(line);
                break;
            }
    return out;
}

} // namespace

std::vector<std::string> MessageBoxes() {
    return LinesStartingWith({"messagebox "});
}

std::vector<std::string> DialogLines() {
    return LinesStartingWith({"dialog ", "filedialog "});
}

} // namespace platform::testing
