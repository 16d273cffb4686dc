#include "platform/messagebox.h"
#include "backend.h"
#include "platform/text.h"
#include "platform/transcript.h"

namespace platform {

int DefaultAnswer(MessageBoxButtons buttons) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return IdOk;
    case MessageBoxButtons::YesNo:
        return IdNo;
    default:
        return IdCancel;
    }
}

const char* ButtonsName(MessageBoxButtons buttons) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return "Ok";
    case MessageBoxButtons::OkCancel:
        return "OkCancel";
    case MessageBoxButtons::YesNo:
        return "YesNo";
    case MessageBoxButtons::YesNoCancel:
        return "YesNoCancel";
    case MessageBoxButtons::RetryCancel:
        return "RetryCancel";
    }
    return "?";
}

const char* IconName(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::None:
        return "None";
    case MessageBoxIcon::Error:
        return "Error";
    case MessageBoxIcon::Question:
        return "Question";
    case MessageBoxIcon::Exclamation:
        return "Exclamation";
    case MessageBoxIcon::Information:
        return "Information";
    }
    return "?";
}

const char* AnswerName(int id) {
    switch (id) {
    case IdOk:
        return "Ok";
    case IdCancel:
        return "Cancel";
    case IdAbort:
        return "Abort";
    case IdRetry:
        return "Retry";
    case IdIgnore:
        return "Ignore";
    case IdYes:
        return "Yes";
    case IdNo:
        return "No";
    }
    return "?";
}

int MessageBox(Window* owner, std::u16string_view text, std::u16string_view caption,
               MessageBoxButtons buttons, MessageBoxIcon icon) {
    int answer = CurrentBackend().ShowMessageBox(owner, text, caption, buttons, icon);
    TranscriptWrite("messagebox caption=\"" + QuoteForTranscript(caption) + "\" text=\"" +
                    QuoteForTranscript(text) + "\" buttons=" + ButtonsName(buttons) +
                    " icon=" + IconName(icon) + " answer=" + AnswerName(answer));
    return answer;
}

} // namespace platform
