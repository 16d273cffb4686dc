#pragma once
// The transcript: one UTF-8 line per event a person would have seen or done
// (message boxes and their answers, dialogs, synthesized input, reboot
// requests). Written to CE_TRANSCRIPT, to stderr while a script runs, and kept
// in memory for tests.
#include <string>
#include <vector>

namespace platform {

void TranscriptWrite(const std::string& line);
std::vector<std::string> TranscriptLines();
void TranscriptClear();

} // namespace platform
