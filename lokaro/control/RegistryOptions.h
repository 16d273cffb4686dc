#pragma once
// The navigation application's options and lokaro's own state flags in the
// registry, all under HKEY_CURRENT_USER. Keys are created when missing; a key
// that cannot be opened makes an operation change nothing.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace lokaro {

constexpr std::u16string_view RouteOptionsKey = u"Software\\3SOFT\\Pathfinder\\RouteOptions";
constexpr std::u16string_view BacklightKey =
    u"Software\\3SOFT\\Pathfinder\\PowerManagement\\Backlight";
// lokaro's state flags ("Lokaro_Route", "Lokaro_Tunnels" ...).
constexpr std::u16string_view FlagKey = u"Software";
// Flags named by the script, and "DontUseTunnels".
constexpr std::u16string_view LokaroKey = u"Software\\Lokaro";
// One flag per route option and value, so that other programs can test an
// option by the presence of a value.
constexpr std::u16string_view OptionMirrorKey = u"Software\\Lokaro\\RouteOptions";

// A flag's data: 162 bytes of string value beginning with the running
// program's device path, zero-terminated (cut to fit); the rest is zero.
constexpr size_t FlagDataSize = 162;
std::string flagData();

enum class FlagMode {
    Remove = 0, // returns whether there was a flag to remove
    Set = 1,    // returns 1
    Toggle = 2, // returns 1 when the flag is set afterwards
    Read = 3,   // returns the low byte of the value read as a DWORD, 0 when absent
};
// Other modes change nothing and return 0.
int setFlag(std::u16string_view key, std::u16string_view name, FlagMode mode);

// Code 0 leaves the value alone; 1 counts it up, from 0 when absent, and back
// to 0 above max; a code n of 2 or more stores n - 2. Returns the value held
// afterwards.
uint32_t setOptionCode(std::u16string_view key, std::u16string_view name, uint32_t code,
                       uint32_t max);

enum class Wrap { No, Yes };
// What the script adds to a step.
struct StepSettings {
    int wrapOverride = -1; // " l=": 0 or 1 replaces the caller's wrap choice
    int x = -1, y = -1;    // where the new value is shown, when both are 0 or more
    std::function<void(std::u16string_view text)> show;
};
// Steps a DWORD (absent counts as 0): text "+n" adds n, "-n" subtracts n, any
// other text is the new value. With wrap-around a step below min from min
// gives max and a step above max from max gives min; the result is kept
// within min..max, stored and returned.
int stepValue(std::u16string_view key, std::u16string_view name, std::u16string_view text, int min,
              int max, Wrap wrap, const StepSettings& settings = {});

// Applies the packed option codes of "roregkeys=" to the route options,
// rebuilds the option mirror, records a tunnel change and switches the track
// folder. Returns whether this arms the tap sequence under the conditions of
// lklickson (bit 2: the tunnel flag was there; bit 4: tracks are off now).
bool applyRouteOptions(uint32_t packed, int lklickson);

// Deletes the option mirror and sets one flag per route option with its
// current value ("NaviMode_2", "DynamicMode_1_0").
void rebuildOptionMirror();

} // namespace lokaro
