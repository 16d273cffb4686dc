#pragma once
// Host settings: how the device's world maps onto this machine. They come from
// the environment (CE_...), never from a program's own command line.
#include <filesystem>
#include <string>

namespace platform {

enum class BackendKind { Headless, Sdl };

struct HostSettings {
    std::filesystem::path root; // CE_ROOT: host folder holding the device tree
    int screenWidth = 480;      // CE_SCREEN
    int screenHeight = 272;
    bool fullscreen = false; // CE_FULLSCREEN: the screen-sized window fills the display
    BackendKind backend = BackendKind::Headless; // CE_BACKEND
    std::filesystem::path script;                // CE_SCRIPT
    std::filesystem::path transcript;            // CE_TRANSCRIPT
    std::string ports;                           // CE_PORTS; unset: DefaultPortMap
    std::string rebootCommand;                   // CE_REBOOT_COMMAND
    std::string keyboardCommand;                 // CE_KEYBOARD_COMMAND
    std::u16string programFile;                  // CE_PROGRAM: device path of the running program
    std::filesystem::path registry; // CE_REGISTRY: registry database, beside the device tree
    // CE_POWER_SUPPLY: folder of battery and mains supplies, one folder each
    std::filesystem::path powerSupply = "/sys/class/power_supply";
};

// Reads the environment. defaultProgramFile is the device path the program
// has when CE_PROGRAM is not set. Bad values are reported on stderr and
// replaced by their defaults.
HostSettings ReadHostSettings(std::u16string_view defaultProgramFile);

// Makes these the settings in force and starts the chosen backend.
void Initialize(const HostSettings& settings);
const HostSettings& Host();

// The largest screen: 7680x4320 either way round.
constexpr int MaxScreenWidth = 7680;
constexpr int MaxScreenHeight = 4320;
constexpr int MaxScreenSide = MaxScreenWidth;

// Parses "WxH" (digits only, 1x1 up to the largest screen); false, with width
// and height untouched, on anything else.
bool ParseScreenSize(std::string_view text, int& width, int& height);

} // namespace platform
