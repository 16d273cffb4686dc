#pragma once
// Bytes embedded in the program (bitmaps) and looked up by integer id, as the
// device's resource section. Filled at start-up by the code that the CMake
// function suite_embed_resources generates.
#include <cstdint>
#include <span>

namespace platform {

// Registers bytes that live for the whole run; a later registration of the
// same id replaces the earlier one.
void RegisterResource(int id, std::span<const uint8_t> bytes);
// Empty span with LastError FileNotFound when the id is unknown, InvalidData
// when the registered bytes are empty.
std::span<const uint8_t> FindResource(int id);

} // namespace platform
