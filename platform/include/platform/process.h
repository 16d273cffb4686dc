#pragma once
// Starting programs by device path. The path maps into the device tree as
// every path does; the host file there runs when it is executable, so a
// user's two-line wrapper script can start any real application.
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Starts the program without waiting for it. It gets the arguments as one
// argument when there are any (as the device hands a program one command
// line), and its own device path as CE_PROGRAM. A missing, non-executable or
// unstartable file fails with LastError saying why. Every call is written to
// the transcript with its result.
bool StartProgram(std::u16string_view devicePath, std::u16string_view arguments = {});

// Starts the program and waits for it to end, checking every pollMs and
// handling this program's messages in between so its windows stay drawn.
// Its exit code, or nullopt when it could not be started (LastError says why).
std::optional<int> RunProgramAndWait(std::u16string_view devicePath, std::u16string_view arguments,
                                     uint32_t pollMs);

} // namespace platform
