#pragma once
// Controls of the headless backend for tests and automation: queued answers,
// the virtual clock and the script.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform::headless {

// The next message box whose caption is this one ("*" for any) and that
// offers this answer is answered with id. Unanswered boxes take Cancel or No
// where offered, else OK.
void QueueMessageBoxAnswer(std::u16string caption, int id);
size_t PendingMessageBoxAnswers();
void ClearMessageBoxAnswers();

// The next file dialog with this title ("*" for any) returns path, or is
// cancelled when path is empty.
void QueueFileDialogAnswer(std::u16string title, std::optional<std::u16string> path);
// Takes the first queued answer for a dialog of this title; nullopt when none
// names it (the dialog is then cancelled). The inner optional is empty for
// "cancel".
std::optional<std::optional<std::u16string>> TakeFileDialogAnswer(std::u16string_view title);

// Moves the virtual clock; timers due on the way fire in time order, and
// what they cause (tasks, paints) is handled after each.
void AdvanceClock(uint32_t milliseconds);
// Sets the virtual tick counter, e.g. near its wrap.
void SetTickCount(uint32_t ticks);

// Replaces the automation script (CE_SCRIPT's text). Its commands run one by
// one whenever a loop waits; its end counts as `quit`.
void LoadScript(const std::string& text);
// Runs one script step; false when the script has ended.
bool RunScriptStep();

} // namespace platform::headless
