#pragma once
// Message boxes with the device's button sets, icons and answer ids.
#include <string_view>

namespace platform {

class Window;

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageBoxIcon { None, Error, Question, Exclamation, Information };

enum DialogResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

// Shows a modal message box and returns the id of the button chosen. owner
// may be null (a box of its own). The headless backend answers from its queue
// and writes every box to the transcript.
int MessageBox(Window* owner, std::u16string_view text, std::u16string_view caption,
               MessageBoxButtons buttons, MessageBoxIcon icon);

// What an unanswered box takes: Cancel or No where offered, else OK.
int DefaultAnswer(MessageBoxButtons buttons);
const char* ButtonsName(MessageBoxButtons buttons);
const char* IconName(MessageBoxIcon icon);
const char* AnswerName(int id);

} // namespace platform
