#include "../backend.h"
#include "platform/text.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace platform {

namespace {

class SdlBackend final : public Backend {
public:
    explicit SdlBackend(const HostSettings&) {
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0)
            std::fprintf(stderr, "SDL could not start: %s\n", SDL_GetError());
        m_start = std::chrono::steady_clock::now();
    }
    ~SdlBackend() override { SDL_Quit(); }

    uint64_t MonotonicMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start)
            .count();
    }
    int64_t HostUtcMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    int ShowMessageBox(Window*, std::u16string_view text, std::u16string_view caption,
                       MessageBoxButtons buttons, MessageBoxIcon icon) override {
        struct Choice {
            int id;
            const char* label;
        };
        std::vector<Choice> choices;
        switch (buttons) {
        case MessageBoxButtons::Ok: choices = {{IdOk, "OK"}}; break;
        case MessageBoxButtons::OkCancel: choices = {{IdOk, "OK"}, {IdCancel, "Abbrechen"}}; break;
        case MessageBoxButtons::YesNo: choices = {{IdYes, "Ja"}, {IdNo, "Nein"}}; break;
        case MessageBoxButtons::YesNoCancel:
            choices = {{IdYes, "Ja"}, {IdNo, "Nein"}, {IdCancel, "Abbrechen"}};
            break;
        case MessageBoxButtons::RetryCancel:
            choices = {{IdRetry, "Wiederholen"}, {IdCancel, "Abbrechen"}};
            break;
        }
        std::vector<SDL_MessageBoxButtonData> data;
        for (size_t i = 0; i < choices.size(); ++i) {
            Uint32 flags = 0;
            if (i == 0)
                flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (choices[i].id == DefaultAnswer(buttons))
                flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            data.push_back({flags, choices[i].id, choices[i].label});
        }
        std::string title = ToUtf8(caption);
        std::string message = ToUtf8(text);
        SDL_MessageBoxData box{};
        box.flags = icon == MessageBoxIcon::Error         ? SDL_MESSAGEBOX_ERROR
                    : icon == MessageBoxIcon::Exclamation ? SDL_MESSAGEBOX_WARNING
                                                          : SDL_MESSAGEBOX_INFORMATION;
        box.title = title.c_str();
        box.message = message.c_str();
        box.numbuttons = static_cast<int>(data.size());
        box.buttons = data.data();
        int answer = DefaultAnswer(buttons);
        if (SDL_ShowMessageBox(&box, &answer) != 0 || answer < 0)
            answer = DefaultAnswer(buttons);
        return answer;
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

} // namespace

std::unique_ptr<Backend> MakeSdlBackend(const HostSettings& host) { return std::make_unique<SdlBackend>(host); }

} // namespace platform
