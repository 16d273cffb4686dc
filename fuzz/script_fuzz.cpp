// Fuzz target: the automation script reader, and the headless backend running
// what it read (every verb but snapshot, which writes host files).
//   ninja -C build-fuzz script_fuzz
//   LSAN_OPTIONS=suppressions=fuzz/lsan.supp build-fuzz/fuzz/script_fuzz NEW_DIR fuzz/corpus-script
#include "headless/automation.h"
#include "platform/headless.h"
#include "platform/host.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Refuses to close, so one window serves every input and `quit` leaves the
// loop state alone.
class Stubborn : public platform::WindowHandler {
public:
    void OnPaint(platform::Window&, platform::Canvas&) override {}
    void OnClose(platform::Window&) override {}
};

void Check(bool ok) {
    if (!ok)
        std::abort();
}

void StartOnce() {
    static bool started = false;
    if (started)
        return;
    started = true;
    char templ[] = "/tmp/script-fuzz-XXXXXX";
    Check(::mkdtemp(templ) != nullptr);
    platform::HostSettings h;
    h.root = templ;
    h.registry = std::filesystem::path(templ) / ".registry";
    h.backend = platform::BackendKind::Headless;
    h.programFile = u"\\Windows\\fuzz.exe";
    platform::Initialize(h);
    static Stubborn stubborn;
    platform::WindowOptions o;
    o.className = u"Fuzz";
    o.rect = {0, 0, 480, 272};
    platform::Window* window = platform::Window::Create(o, stubborn);
    Check(window != nullptr);
    // A timer for waits to run into; long, so huge waits stay cheap enough.
    window->SetTimer(1, 60000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StartOnce();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> errors;
    const auto commands = platform::ParseScript(text, errors);
    int lastLine = 0;
    bool snapshot = false;
    for (const auto& c : commands) {
        Check(!c.words.empty() && c.line > lastLine);
        lastLine = c.line;
        for (const auto& w : c.words)
            Check(w.find('\n') == std::string::npos);
        snapshot = snapshot || c.words[0] == "snapshot";
    }
    if (snapshot)
        return 0;

    platform::headless::LoadScript(text);
    size_t steps = 0;
    while (platform::headless::RunScriptStep())
        ++steps;
    Check(steps == commands.size());
    platform::headless::ClearMessageBoxAnswers();
    platform::TranscriptClear();
    return 0;
}
