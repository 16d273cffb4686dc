#pragma once
// What one start of lokaro is asked to do: the parameters of the command line
// or of the script's last "param=" line, and the script's other lines. Pure
// text to values, no I/O.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lokaro {

struct TapStep {
    int delay = -1; // -1: no tap
    int x = -1, y = -1;
};

struct ParameterSet {
    // On-screen text, taps and window placement (" x=" ... " d=").
    int x = -1, y = -1, w = -1, h = 0;
    int r = 0, g = 0, b = 0;
    int rb = 255, gb = 255, bb = 255;
    int t = 0, d = 0;
    int l = -1; // not -1: wrap-around of stepped values
    int lklick = -1;
    TapStep taps[6];
    int lklickson = -1;
    std::u16string sendkey;
    int window = -1;
    std::u16string backlight; // two characters or empty
    std::u16string notunnels;
    int sonnenbrille = -1;
    std::u16string regkey;
    int regkeymode = -1;
    int roregkeys = -1;
    std::optional<std::u16string> route;
    std::optional<std::u16string> gotoFile;
    // "copy=": source, target and mode; absent without a vertical bar.
    struct Copy {
        std::u16string from, to;
        int mode = 0;
    };
    std::optional<Copy> copy;
    std::optional<std::u16string> deleteFile; // absent also when cancelled by "|n"
    int explorer = 0, taskmanager = 0, taskbar = -1, sip = -1, setmem = -1, sleep0 = -1, reset = -1;

    // Keys of one line that share a text buffer and so cannot be combined;
    // the later one is refused, and each refusal is said here.
    std::vector<std::string> refused;
};

// Lower-cases the line and reads every key found anywhere in it; keys not in
// the line keep their defaults.
ParameterSet parseParameters(std::u16string_view line);

// The device's lower case for the characters a script may hold: ASCII and the
// Latin-1 capitals.
std::u16string lowerCase(std::u16string_view text);

// C notation: leading blanks, a sign, "0x" for hexadecimal or "0" for octal;
// what follows the digits is ignored. Limited to the int range.
int readCInt(std::u16string_view text);

// The script's lines as far as they matter: "exe=", "tourgen=" and "param=".
struct ScriptSettings {
    std::u16string navigatorPath;
    std::u16string tourGenerator;
    bool telephoneLayout = true; // until a "param=" line without "tel"
    std::optional<std::u16string> lastParamLine;
};

class ScriptReader {
public:
    explicit ScriptReader(std::u16string_view defaultNavigator);
    void readLine(std::u16string_view line);
    const ScriptSettings& settings() const { return m_settings; }

private:
    ScriptSettings m_settings;
};

// The parameters in force: the command line when it is not empty, else the
// last "param=" line of the script, else the defaults.
ParameterSet parametersInForce(const ScriptSettings& script, std::u16string_view commandLine);

} // namespace lokaro
