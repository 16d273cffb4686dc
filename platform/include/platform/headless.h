#pragma once
// Controls of the headless backend for tests and automation: queued answers
// and the virtual clock.
#include <cstdint>
#include <string>

namespace platform::headless {

// The next message box whose caption is this one ("*" for any) is answered
// with id. Answers are taken first-come among those that name the box.
void QueueMessageBoxAnswer(std::u16string caption, int id);
size_t PendingMessageBoxAnswers();
void ClearMessageBoxAnswers();

// Moves the virtual clock; timers due on the way fire in order.
void AdvanceClock(uint32_t milliseconds);
// Sets the virtual tick counter, e.g. near its wrap.
void SetTickCount(uint32_t ticks);

} // namespace platform::headless
