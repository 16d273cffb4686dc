#include "../backend.h"
#include "../sdl/viewport_transform.h"
#include "../window_system.h"
#include "automation.h"
#include "platform/dialog.h"
#include "platform/headless.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "platform/window.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <sstream>
#include <thread>

namespace platform {

namespace {

struct QueuedAnswer {
    std::u16string caption;
    int id;
};

struct QueuedFile {
    std::u16string title;
    std::optional<std::u16string> path;
};

bool Offers(MessageBoxButtons buttons, int id) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return id == IdOk;
    case MessageBoxButtons::OkCancel:
        return id == IdOk || id == IdCancel;
    case MessageBoxButtons::YesNo:
        return id == IdYes || id == IdNo;
    case MessageBoxButtons::YesNoCancel:
        return id == IdYes || id == IdNo || id == IdCancel;
    case MessageBoxButtons::RetryCancel:
        return id == IdRetry || id == IdCancel;
    }
    return false;
}

std::optional<int> AnswerId(const std::string& word) {
    std::u16string w = FromUtf8(word);
    const std::pair<const char16_t*, int> names[] = {
        {u"ok", IdOk},       {u"cancel", IdCancel}, {u"yes", IdYes},      {u"no", IdNo},
        {u"retry", IdRetry}, {u"abort", IdAbort},   {u"ignore", IdIgnore}};
    for (auto& [name, id] : names)
        if (EqualsIgnoreAsciiCase(w, name))
            return id;
    return std::nullopt;
}

std::optional<int64_t> Number(const std::string& word) {
    if (word.empty() || word.size() > 12)
        return std::nullopt;
    size_t i = word[0] == '-' ? 1 : 0;
    if (i == word.size())
        return std::nullopt;
    int64_t v = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9')
            return std::nullopt;
        v = v * 10 + (word[i] - '0');
    }
    return word[0] == '-' ? -v : v;
}

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(const HostSettings& host) {
        m_utcStartMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
        if (!host.script.empty()) {
            std::ifstream in(host.script, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "automation script %s cannot be read\n", host.script.c_str());
            } else {
                std::stringstream text;
                text << in.rdbuf();
                Load(text.str());
            }
        }
    }

    uint64_t MonotonicMs() override { return m_ticks; }
    int64_t HostUtcMs() override {
        return m_utcStartMs + static_cast<int64_t>(m_ticks - m_tickBase);
    }

    int ShowMessageBox(Window*, std::u16string_view, std::u16string_view caption,
                       MessageBoxButtons buttons, MessageBoxIcon) override {
        for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
            if ((it->caption == u"*" || it->caption == caption) && Offers(buttons, it->id)) {
                int id = it->id;
                m_answers.erase(it);
                return id;
            }
        }
        return DefaultAnswer(buttons);
    }

    // Headless dialogs never wait: they take their queued answer.
    std::optional<std::u16string> ShowFileDialog(const FileDialogOptions& options) override {
        auto answer = TakeFileAnswer(options.title);
        if (answer && *answer && (*answer)->size() + 1 <= options.maxLength)
            return **answer;
        return std::nullopt;
    }

    std::optional<std::optional<std::u16string>> TakeFileAnswer(std::u16string_view title) {
        for (auto it = m_files.begin(); it != m_files.end(); ++it) {
            if (it->title == u"*" || it->title == title) {
                auto path = it->path;
                m_files.erase(it);
                return path;
            }
        }
        return std::nullopt;
    }

    void Wait(int64_t) override {
        if (!Step()) {
            // The end of the script counts as quit; if the program is still
            // there afterwards nothing can ever reach it again.
            if (!m_quitSent) {
                m_quitSent = true;
                TranscriptWrite("quit (end of script)");
                if (Window* main = WindowSystem::Get().MainWindow())
                    main->Close();
                else
                    WindowSystem::Get().PostQuit(0);
            } else {
                TranscriptWrite("script ended; the program did not close");
                WindowSystem::Get().PostQuit(0);
            }
        }
    }

    void Advance(uint64_t ms) {
        auto& system = WindowSystem::Get();
        const uint64_t target = m_ticks + ms;
        // The clock jumps from one due timer to the next. A wait so long that
        // its timers would fire more often than this jumps the rest at once:
        // each timer fires once at its end, missed periods not made up, as on
        // a device whose program was busy.
        constexpr int MaxFiringsPerWait = 100000;
        int rounds = 0;
        while (!system.QuitPosted()) {
            uint64_t next = system.NextDue();
            if (next > target)
                break;
            if (++rounds > MaxFiringsPerWait) {
                TranscriptWrite("clock jump ms=" + std::to_string(target - m_ticks));
                break;
            }
            if (next > m_ticks)
                m_ticks = next;
            system.Pump();
        }
        m_ticks = target;
        system.Pump();
    }

    void Load(const std::string& text) {
        std::vector<std::string> errors;
        m_script = ParseScript(text, errors);
        m_next = 0;
        m_quitSent = false;
        for (auto& e : errors)
            ScriptError(e);
    }

    void ScriptError(const std::string& message) {
        std::fprintf(stderr, "automation: %s\n", message.c_str());
        TranscriptWrite("script-error " + message);
    }

    bool Step() {
        if (m_next >= m_script.size())
            return false;
        const ScriptCommand& c = m_script[m_next++];
        Execute(c);
        return true;
    }

    void Execute(const ScriptCommand& c) {
        const std::string& verb = c.words[0];
        auto arg = [&](size_t i) -> const std::string& {
            static const std::string empty;
            return i < c.words.size() ? c.words[i] : empty;
        };
        auto bad = [&](const std::string& why) {
            ScriptError("line " + std::to_string(c.line) + ": " + verb + ": " + why);
        };
        auto& system = WindowSystem::Get();
        if (verb == "wait") {
            auto ms = Number(arg(1));
            if (!ms || *ms < 0)
                return bad("needs milliseconds");
            Advance(static_cast<uint64_t>(*ms));
        } else if (verb == "sleep") {
            // Live sources (gpsd, a tty) deliver in real time; the virtual
            // clock keeps pace so that polling timers read what arrived.
            auto ms = Number(arg(1));
            if (!ms || *ms < 0)
                return bad("needs milliseconds");
            constexpr int64_t Slice = 10;
            for (int64_t left = *ms; left > 0 && !system.QuitPosted(); left -= Slice) {
                const int64_t step = left < Slice ? left : Slice;
                std::this_thread::sleep_for(std::chrono::milliseconds(step));
                Advance(static_cast<uint64_t>(step));
            }
        } else if (verb == "tap") {
            auto x = Number(arg(1)), y = Number(arg(2));
            if (!x || !y)
                return bad("needs X Y");
            TranscriptWrite("tap x=" + std::to_string(*x) + " y=" + std::to_string(*y));
            // Where the presented (turned, mirrored) screen shows it, as a
            // finger on it would; plain, the coordinates are the screen's.
            Point at{static_cast<int>(*x), static_cast<int>(*y)};
            if (const Presentation p = GetPresentation(); !p.IsPlain()) {
                const Size screen{Host().screenWidth, Host().screenHeight};
                const Size turned = ViewportTransform(screen, {}, p).Turned();
                if (*x < 0 || *y < 0 || *x >= turned.cx || *y >= turned.cy)
                    return;
                auto logical = ViewportTransform(screen, turned, p).ToLogical(at.x, at.y);
                if (!logical)
                    return;
                at = *logical;
            }
            if (Window* w = system.WindowAt(at.x, at.y)) {
                Rect r = w->GetRect();
                w->Tap(at.x - r.left, at.y - r.top);
            }
        } else if (verb == "key") {
            auto vk = Number(arg(1));
            if (!vk || *vk < 0 || *vk > 255)
                return bad("needs a virtual-key code 0..255");
            TranscriptWrite("key vk=" + std::to_string(*vk));
            if (Window* w = system.TopVisible())
                w->Key(static_cast<int>(*vk));
        } else if (verb == "type") {
            if (c.words.size() < 2)
                return bad("needs a text");
            TranscriptWrite("type text=\"" + QuoteForTranscript(FromUtf8(arg(1))) + "\"");
            if (Window* w = system.TopVisible())
                for (char16_t ch : FromUtf8(arg(1)))
                    w->Char(ch);
        } else if (verb == "click") {
            auto id = Number(arg(1));
            if (!id)
                return bad("needs a control id");
            TranscriptWrite("click id=" + std::to_string(*id));
            Dialog* dialog = Dialog::Topmost();
            if (!dialog || !dialog->Click(static_cast<int>(*id)))
                bad("no dialog has a control " + std::to_string(*id));
        } else if (verb == "answer") {
            auto id = AnswerId(arg(2));
            if (c.words.size() < 3 || !id)
                return bad("needs CAPTION ok|cancel|yes|no|retry");
            m_answers.push_back({FromUtf8(arg(1)), *id});
        } else if (verb == "file") {
            if (c.words.size() < 3)
                return bad("needs TITLE PATH or TITLE cancel");
            std::optional<std::u16string> path;
            if (arg(2) != "cancel")
                path = FromUtf8(arg(2));
            m_files.push_back({FromUtf8(arg(1)), path});
        } else if (verb == "snapshot") {
            if (c.words.size() < 2)
                return bad("needs a file");
            system.Pump();
            if (!SnapshotScreenPng(arg(1)))
                bad("cannot write " + arg(1));
            else
                TranscriptWrite("snapshot file=\"" + arg(1) + "\"");
        } else if (verb == "quit") {
            m_quitSent = true;
            TranscriptWrite("quit");
            if (Window* main = system.MainWindow())
                main->Close();
            else
                system.PostQuit(0);
        } else {
            bad("unknown verb");
        }
    }

    std::deque<QueuedAnswer> m_answers;
    std::deque<QueuedFile> m_files;
    std::vector<ScriptCommand> m_script;
    size_t m_next = 0;
    bool m_quitSent = false;
    uint64_t m_ticks = 0;
    uint64_t m_tickBase = 0;
    int64_t m_utcStartMs = 0;
};

HeadlessBackend* Headless() {
    return dynamic_cast<HeadlessBackend*>(&CurrentBackend());
}

} // namespace

std::unique_ptr<Backend> MakeHeadlessBackend(const HostSettings& host) {
    return std::make_unique<HeadlessBackend>(host);
}

namespace headless {

void QueueMessageBoxAnswer(std::u16string caption, int id) {
    if (auto* h = Headless())
        h->m_answers.push_back({std::move(caption), id});
}

size_t PendingMessageBoxAnswers() {
    auto* h = Headless();
    return h ? h->m_answers.size() : 0;
}

void ClearMessageBoxAnswers() {
    if (auto* h = Headless())
        h->m_answers.clear();
}

void QueueFileDialogAnswer(std::u16string title, std::optional<std::u16string> path) {
    if (auto* h = Headless())
        h->m_files.push_back({std::move(title), std::move(path)});
}

std::optional<std::optional<std::u16string>> TakeFileDialogAnswer(std::u16string_view title) {
    auto* h = Headless();
    return h ? h->TakeFileAnswer(title) : std::nullopt;
}

void AdvanceClock(uint32_t milliseconds) {
    if (auto* h = Headless())
        h->Advance(milliseconds);
}

void SetTickCount(uint32_t ticks) {
    if (auto* h = Headless()) {
        // UTC moves only with advances, not with this jump.
        h->m_tickBase += static_cast<uint64_t>(ticks) - static_cast<uint32_t>(h->m_ticks);
        h->m_ticks = (h->m_ticks & ~0xFFFFFFFFull) + ticks;
    }
}

void LoadScript(const std::string& text) {
    if (auto* h = Headless())
        h->Load(text);
}

bool RunScriptStep() {
    auto* h = Headless();
    return h && h->Step();
}

} // namespace headless
} // namespace platform
