#pragma once
// One sentence the receiver is told to send, and how often.
#include <cstdint>
#include <string>

namespace velvane {

struct ProtocolEntry {
    std::u16string name; // "GGA"
    uint32_t interval;   // seconds
};

} // namespace velvane
