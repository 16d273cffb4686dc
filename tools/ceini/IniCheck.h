#pragma once
// A settings file read by the program's own reader, headless: what the program
// would show in message boxes comes back as lines of text.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ceini {

struct CheckReport {
    bool read = false;                 // the reader took the file
    std::vector<std::string> messages; // one per message box: "caption text"
    std::string note;                  // about the check itself, when it is limited
};

// kind names the reader: "form" (any section and key; only the file's form is
// checked), "main", "gps", "menu", "config", or a configuration section name
// ("Speedo", "Empty", ...) for that component's skin. nullopt with why when
// kind names none.
std::optional<CheckReport> CheckSettingsFile(const std::filesystem::path& file,
                                             std::string_view kind, std::string& why);

// The kinds, for a usage text.
std::string CheckKinds();

} // namespace ceini
