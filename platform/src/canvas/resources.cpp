#include "platform/resources.h"
#include "platform/error.h"

#include <map>
#include <string>

namespace platform {
namespace {

// Filled by static initialisers of generated code, so it must exist before
// any of them runs: a function-local static does.
std::map<int, std::span<const uint8_t>>& Registry() {
    static std::map<int, std::span<const uint8_t>> registry;
    return registry;
}

} // namespace

void RegisterResource(int id, std::span<const uint8_t> bytes) {
    Registry()[id] = bytes;
}

std::span<const uint8_t> FindResource(int id) {
    auto it = Registry().find(id);
    if (it == Registry().end()) {
        SetLastError(ErrorCode::FileNotFound, "resource " + std::to_string(id) + " not found");
        return {};
    }
    if (it->second.empty())
        SetLastError(ErrorCode::InvalidData, "resource " + std::to_string(id) + " is empty");
    return it->second;
}

} // namespace platform
