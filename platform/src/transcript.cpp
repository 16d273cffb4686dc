#include "platform/transcript.h"
#include "platform/host.h"

#include <cstdio>
#include <mutex>

namespace platform {

namespace {

struct TranscriptState {
    std::mutex mutex;
    std::vector<std::string> lines;
    std::FILE* file = nullptr;
    std::filesystem::path openedFor;
};

TranscriptState& State() {
    static TranscriptState s;
    return s;
}

} // namespace

void TranscriptWrite(const std::string& line) {
    auto& s = State();
    std::lock_guard lock(s.mutex);
    // Tests read the recent lines; a long run must not grow without bound.
    if (s.lines.size() >= 100000)
        s.lines.erase(s.lines.begin(), s.lines.begin() + 50000);
    s.lines.push_back(line);
    const HostSettings& host = Host();
    if (!host.transcript.empty()) {
        if (!s.file || s.openedFor != host.transcript) {
            if (s.file)
                std::fclose(s.file);
            s.file = std::fopen(host.transcript.c_str(), "a");
            s.openedFor = host.transcript;
        }
        if (s.file) {
            std::fprintf(s.file, "%s\n", line.c_str());
            std::fflush(s.file);
        }
    } else if (!host.script.empty()) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

std::vector<std::string> TranscriptLines() {
    auto& s = State();
    std::lock_guard lock(s.mutex);
    return s.lines;
}

void TranscriptClear() {
    auto& s = State();
    std::lock_guard lock(s.mutex);
    s.lines.clear();
}

} // namespace platform
