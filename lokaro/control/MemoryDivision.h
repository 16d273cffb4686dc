#pragma once
// The device's division of memory between storage and program RAM.
namespace lokaro {

// 0 shows the division ("Storage %i, Ram %i" in kilobytes, caption
// "Memory"); a positive number asks for that many kilobytes of storage, which
// fails where the platform cannot move memory. Negative numbers do nothing.
// False when the division could not be read or set.
bool setMemoryDivision(int kilobytes);

} // namespace lokaro
