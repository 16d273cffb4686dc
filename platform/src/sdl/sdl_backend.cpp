#include "../backend.h"
#include "../canvas/canvas_surface.h"
#include "../dialog/file_dialog_window.h"
#include "../dialog/message_box_dialog.h"
#include "../window_system.h"
#include "../x11/x11_windows.h"
#include "platform/keys.h"
#include "platform/text.h"
#include "platform/transcript.h"
#include "sdl_tone.h"
#include "viewport_transform.h"

#include <SDL.h>
#include <algorithm>
#include <cairo.h>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <errno.h>
#include <string.h>
#include <vector>

namespace platform {

namespace {

struct SdlWindowData : WindowBackendData {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    // Stands for the whole logical screen: the user may resize it, it may
    // fill the display, and the other windows are placed and scaled as it is.
    bool screen = false;
    Rect placed; // the logical rect it was last placed for
};

SdlWindowData* DataOf(Window& w) {
    return static_cast<SdlWindowData*>(w.BackendData());
}

// SDL key codes to the device's virtual-key codes; 0 for keys it lacks.
int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z)
        return vk::KeyA + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return vk::Key0 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return vk::F1 + (key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return vk::Numpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE:
        return vk::Back;
    case SDLK_TAB:
        return vk::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return vk::Return;
    case SDLK_ESCAPE:
        return vk::Escape;
    case SDLK_SPACE:
        return vk::Space;
    case SDLK_PAGEUP:
        return vk::Prior;
    case SDLK_PAGEDOWN:
        return vk::Next;
    case SDLK_END:
        return vk::End;
    case SDLK_HOME:
        return vk::Home;
    case SDLK_LEFT:
        return vk::Left;
    case SDLK_UP:
        return vk::Up;
    case SDLK_RIGHT:
        return vk::Right;
    case SDLK_DOWN:
        return vk::Down;
    case SDLK_DELETE:
        return vk::Delete;
    case SDLK_KP_0:
        return vk::Numpad0;
    case SDLK_KP_MULTIPLY:
        return vk::Multiply;
    case SDLK_KP_PLUS:
        return vk::Add;
    case SDLK_KP_MINUS:
        return vk::Subtract;
    case SDLK_KP_DIVIDE:
        return vk::Divide;
    default:
        return 0;
    }
}

// The display went away; not a normal end.
constexpr int ExitDisplayLost = 1;

// SIGTERM or SIGINT, noted here and acted on from the event loop.
volatile sig_atomic_t g_endSignal = 0;

void NoteEndSignal(int signal) {
    // Asked twice (the program is busy and does not wait for input): at once.
    if (g_endSignal) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    g_endSignal = signal;
}

void CatchEndSignals() {
    struct sigaction action {};
    action.sa_handler = NoteEndSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress returns at once to look.
    for (int signal : {SIGTERM, SIGINT})
        sigaction(signal, &action, nullptr);
}

Size WindowSize(SDL_Window* window) {
    int cx = 0, cy = 0;
    SDL_GetWindowSize(window, &cx, &cy);
    return {cx, cy};
}

// The longest wait before looking at the display connection again.
constexpr int64_t MaxWaitMs = 500;

class SdlBackend final : public Backend {
public:
    explicit SdlBackend(const HostSettings&) {
        SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0"); // a finger is a tap once, not also a click
        // A tap on a window that is just getting the focus is still a tap;
        // SDL would drop it when both arrive close together, as under load.
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        // We draw in software: without this SDL backs each window with an
        // OpenGL renderer and loads the whole GL stack for nothing. The
        // environment still wins, as for every hint.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        // Scaled pictures are smoothed rather than blocky.
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        // SDL would only turn these into a quit event, which nobody hears
        // before the main window exists (a start-up message box, say).
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        CatchEndSignals();
        x11::TolerateVanishedWindows();
        s_instance = this;
        x11::SetDisplayLossHandler([] {
            if (s_instance)
                s_instance->EndForLostDisplay();
        });
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
            std::fprintf(stderr, "SDL could not start: %s\n", SDL_GetError());
        SDL_StartTextInput();
        m_start = std::chrono::steady_clock::now();
    }
    ~SdlBackend() override {
        s_instance = nullptr;
        m_tones.Close();
        // On a dead display SDL's own goodbye would only talk to nobody.
        if (x11::DisplayLost())
            return;
        x11::Disconnect();
        SDL_Quit();
    }

    uint64_t MonotonicMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - m_start)
            .count();
    }
    int64_t HostUtcMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    void WindowCreated(Window& w) override {
        auto* data = new SdlWindowData();
        Rect r = w.GetRect();
        data->screen = !w.Owner() && r == WorkArea();
        // Hidden until its properties are set: a window manager reads them
        // when it is mapped.
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (w.Style() != WindowStyle::Normal)
            flags |= SDL_WINDOW_BORDERLESS;
        if (data->screen)
            flags |= SDL_WINDOW_RESIZABLE | (Host().fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        Rect at = HostRect(w, *data);
        SDL_Rect display;
        // Without a window manager nobody makes it fullscreen but its size.
        if (data->screen && Host().fullscreen && SDL_GetDisplayBounds(0, &display) == 0)
            at = {display.x, display.y, display.x + display.w, display.y + display.h};
        data->window = SDL_CreateWindow(ToUtf8(w.Title()).c_str(), at.left, at.top, at.Width(),
                                        at.Height(), flags);
        data->placed = r;
        if (!data->window) {
            std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        } else {
            data->renderer = SDL_CreateRenderer(data->window, -1, SDL_RENDERER_SOFTWARE);
            if (x11::Available()) {
                x11::SetWindowClass(data->window, w.ClassName());
                if (SdlWindowData* owner = OwnerOf(w, *data))
                    x11::SetTransientFor(data->window, owner->window);
                x11::WatchForDisplayLoss(data->window);
            }
            if (w.IsVisible())
                ShowAndFocus(data->window);
        }
        w.SetBackendData(data);
    }

    void WindowDestroyed(Window& w) override {
        auto* data = DataOf(w);
        if (!data)
            return;
        if (x11::DisplayLost()) { // nothing left to destroy on the server
            delete data;
            w.SetBackendData(nullptr);
            return;
        }
        // Without a window manager the keyboard focus would go to the root
        // with the window that had it: it goes back to the owner instead.
        SdlWindowData* heir = nullptr;
        if (data->window && (SDL_GetWindowFlags(data->window) & SDL_WINDOW_INPUT_FOCUS))
            heir = OwnerOf(w, *data);
        if (data->texture)
            SDL_DestroyTexture(data->texture);
        if (data->renderer)
            SDL_DestroyRenderer(data->renderer);
        if (data->window)
            SDL_DestroyWindow(data->window);
        delete data;
        w.SetBackendData(nullptr);
        if (heir && heir->window && x11::Available())
            x11::GiveFocus(heir->window);
    }

    void WindowChanged(Window& w) override {
        auto* data = DataOf(w);
        if (!data || !data->window || x11::DisplayLost())
            return;
        SDL_SetWindowTitle(data->window, ToUtf8(w.Title()).c_str());
        // Only a new logical place moves it: the user's resizing stays.
        if (w.GetRect() != data->placed)
            Place(w, *data);
        if (w.IsVisible()) {
            if (SDL_GetWindowFlags(data->window) & SDL_WINDOW_HIDDEN)
                ShowAndFocus(data->window);
            else
                SDL_RaiseWindow(data->window);
        } else {
            SDL_HideWindow(data->window);
        }
    }

    void Present(Window& w) override {
        auto* data = DataOf(w);
        if (!data || !data->renderer || x11::DisplayLost())
            return;
        Canvas& surface = w.Surface();
        surface.Flush();
        if (!data->texture || data->textureWidth != surface.Width() ||
            data->textureHeight != surface.Height()) {
            if (data->texture)
                SDL_DestroyTexture(data->texture);
            data->texture =
                SDL_CreateTexture(data->renderer, SDL_PIXELFORMAT_ARGB8888,
                                  SDL_TEXTUREACCESS_STREAMING, surface.Width(), surface.Height());
            data->textureWidth = surface.Width();
            data->textureHeight = surface.Height();
        }
        cairo_surface_t* s = surface.Surface()->surface;
        SDL_UpdateTexture(data->texture, nullptr, cairo_image_surface_get_data(s),
                          cairo_image_surface_get_stride(s));
        int cx = 0, cy = 0;
        SDL_GetRendererOutputSize(data->renderer, &cx, &cy);
        const Presentation presentation = GetPresentation();
        ViewportTransform view({surface.Width(), surface.Height()}, {cx, cy}, presentation);
        SDL_SetRenderDrawColor(data->renderer, 0, 0, 0, 255); // the bars
        SDL_RenderClear(data->renderer);
        Rect picture = view.Picture();
        if (!picture.IsEmpty() && presentation.IsPlain()) {
            SDL_Rect to{picture.left, picture.top, picture.Width(), picture.Height()};
            SDL_RenderCopy(data->renderer, data->texture, nullptr, &to);
        } else if (!picture.IsEmpty()) {
            // SDL turns about the centre of the unturned place, after the
            // flip: mirroring after a turn is the opposite turn after it.
            int w = picture.Width(), h = picture.Height();
            if (presentation.Swaps())
                std::swap(w, h);
            SDL_Rect to{picture.left + (picture.Width() - w) / 2,
                        picture.top + (picture.Height() - h) / 2, w, h};
            const int angle =
                presentation.mirror ? (360 - presentation.rotation) % 360 : presentation.rotation;
            SDL_RenderCopyEx(data->renderer, data->texture, nullptr, &to, angle, nullptr,
                             presentation.mirror ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE);
        }
        SDL_RenderPresent(data->renderer);
    }

    uint64_t FindForeignWindow(std::u16string_view className, std::u16string_view title) override {
        return x11::Available() ? x11::FindWindow(className, title) : 0;
    }
    bool ActivateForeignWindow(uint64_t id) override {
        return x11::Available() && x11::Activate(id);
    }

    // The logical picture of the window in the pixels its SDL window has.
    static ViewportTransform ViewOf(Window& w, SdlWindowData& data) {
        Rect r = w.GetRect();
        return ViewportTransform({r.Width(), r.Height()}, WindowSize(data.window),
                                 GetPresentation());
    }

    // The window that stands for the logical screen, if one is open.
    static Window* ScreenWindow() {
        for (Window* w : WindowSystem::Get().Live())
            if (SdlWindowData* data = DataOf(*w); data && data->screen && data->window)
                return w;
        return nullptr;
    }

    // What a window belongs to: its owner, else the screen window (a message
    // box of a program still starting up has no owner).
    static SdlWindowData* OwnerOf(Window& w, SdlWindowData& data) {
        if (Window* owner = w.Owner())
            if (SdlWindowData* o = DataOf(*owner); o && o->window)
                return o;
        if (data.screen)
            return nullptr;
        if (Window* screen = ScreenWindow(); screen && screen != &w)
            return DataOf(*screen);
        return nullptr;
    }

    // Where a window goes on the host: the screen window at its logical
    // place (moved and sized by the user afterwards); every other window as
    // much larger and wherever the screen window shows the logical screen.
    static Rect HostRect(Window& w, SdlWindowData& data) {
        Rect r = w.GetRect();
        const Presentation presentation = GetPresentation();
        // Turned on its side, a window takes the turned shape.
        const Rect turned =
            presentation.Swaps() ? Rect{r.left, r.top, r.left + r.Height(), r.top + r.Width()} : r;
        Window* screen = data.screen ? nullptr : ScreenWindow();
        if (!screen || screen == &w)
            return turned;
        SdlWindowData& s = *DataOf(*screen);
        ViewportTransform view = ViewOf(*screen, s);
        if (view.Picture().IsEmpty())
            return turned;
        Rect logical = screen->GetRect();
        int x = 0, y = 0;
        SDL_GetWindowPosition(s.window, &x, &y);
        const Rect shown = view.ToOutput(r.Offset(-logical.left, -logical.top));
        const Point at{shown.left, shown.top};
        auto scaled = [&](int v) { return std::max(1, int(std::lround(v * view.Scale()))); };
        return {x + at.x, y + at.y, x + at.x + scaled(turned.Width()),
                y + at.y + scaled(turned.Height())};
    }

    void Place(Window& w, SdlWindowData& data) {
        data.placed = w.GetRect();
        if (data.screen && (SDL_GetWindowFlags(data.window) & SDL_WINDOW_FULLSCREEN))
            return; // the display's size; the picture is scaled into it
        Rect at = HostRect(w, data);
        SDL_SetWindowPosition(data.window, at.left, at.top);
        SDL_SetWindowSize(data.window, at.Width(), at.Height());
    }

    void PresentationChanged() override {
        if (x11::DisplayLost())
            return;
        Window* screen = ScreenWindow();
        if (screen) {
            Place(*screen, *DataOf(*screen));
            Present(*screen);
        }
        for (Window* w : WindowSystem::Get().Live())
            if (SdlWindowData* data = DataOf(*w); w != screen && data && data->window) {
                Place(*w, *data);
                if (w->IsVisible())
                    Present(*w);
            }
    }

    // The screen window changed its place or size: the others follow it.
    void FollowScreen(Window& screen) {
        for (Window* w : WindowSystem::Get().Live())
            if (SdlWindowData* data = DataOf(*w); w != &screen && data && data->window) {
                Place(*w, *data);
                if (w->IsVisible())
                    Present(*w);
            }
    }

    static void ShowAndFocus(SDL_Window* window) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
        if (x11::Available())
            x11::GiveFocus(window);
    }

    Window* Find(Uint32 windowId) {
        SDL_Window* sdl = SDL_GetWindowFromID(windowId);
        for (Window* w : WindowSystem::Get().Live())
            if (DataOf(*w) && DataOf(*w)->window == sdl)
                return w;
        return nullptr;
    }

    void Deliver(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT:
            if (Window* main = WindowSystem::Get().MainWindow())
                main->Close();
            break;
        case SDL_WINDOWEVENT:
            if (Window* w = Find(e.window.windowID)) {
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    w->Close();
                } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    Present(*w);
                } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                           e.window.event == SDL_WINDOWEVENT_MOVED) {
                    Present(*w);
                    if (DataOf(*w)->screen)
                        FollowScreen(*w);
                }
            }
            break;
        case SDL_KEYDOWN:
            if (Window* w = Find(e.key.windowID))
                if (int key = VirtualKey(e.key.keysym.sym))
                    w->Key(key);
            break;
        case SDL_TEXTINPUT:
            if (Window* w = Find(e.text.windowID))
                for (char16_t c : FromUtf8(e.text.text))
                    w->Char(c);
            break;
        case SDL_MOUSEBUTTONUP:
            if (e.button.button == SDL_BUTTON_LEFT && e.button.which != SDL_TOUCH_MOUSEID)
                if (Window* w = Find(e.button.windowID))
                    TapAt(*w, e.button.x, e.button.y);
            break;
        case SDL_FINGERUP:
            // Fingers come as fractions of the window they touch.
            if (Window* w = WindowSystem::Get().TopVisible(); w && DataOf(*w)) {
                Size size = WindowSize(DataOf(*w)->window);
                TapAt(*w, static_cast<int>(e.tfinger.x * size.cx),
                      static_cast<int>(e.tfinger.y * size.cy));
            }
            break;
        default:
            break;
        }
    }

    // A tap on the window's real pixels, where the logical picture shows it;
    // taps on the bars beside the picture go nowhere.
    void TapAt(Window& w, int x, int y) {
        SdlWindowData* data = DataOf(w);
        if (!data || !data->window)
            return;
        if (auto at = ViewOf(w, *data).ToLogical(x, y))
            w.Tap(at->x, at->y);
    }

    // Blocks in SDL until an event or the next timer: no busy waiting.
    void Wait(int64_t timeoutMs) override {
        if (g_endSignal)
            EndForSignal(g_endSignal);
        if (x11::DisplayLost()) {
            EndForLostDisplay();
            return;
        }
        // Never blocks for good: a display that goes away while nothing is
        // due must still be noticed.
        SDL_Event e;
        int got = SDL_WaitEventTimeout(
            &e,
            static_cast<int>(timeoutMs < 0 ? MaxWaitMs : std::min<int64_t>(timeoutMs, MaxWaitMs)));
        if (got) {
            Deliver(e);
            while (SDL_PollEvent(&e))
                Deliver(e);
        }
        if (g_endSignal)
            EndForSignal(g_endSignal);
        if (x11::DisplayLost()) // noticed by SDL's reading just now
            EndForLostDisplay();
    }

    // Asked to end from outside (a service stopped, Ctrl-C): the program
    // gets the close request a user would give, so it saves what it saves,
    // even while a dialog or a start-up message box waits; nothing asks
    // anyone anything meanwhile. It then ends by the signal, as asked.
    void EndForSignal(int signal) {
        if (m_endingForSignal) // a wait inside the close request
            EndBy(signal);
        m_endingForSignal = true;
        const char* name = sigabbrev_np(signal);
        std::fprintf(stderr, "%s: ending on SIG%s\n", program_invocation_short_name,
                     name ? name : "?");
        if (Window* main = WindowSystem::Get().MainWindow())
            main->Close();
        for (int i = 0; i < 100 && WindowSystem::Get().Pump(); ++i) {
        }
        EndBy(signal);
    }

    [[noreturn]] void EndBy(int signal) {
        std::fflush(nullptr);
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        std::_Exit(128 + signal); // should the signal be blocked
    }

    // Nobody is left to see or answer anything: the program gets the close
    // request a user would give (so it saves what it saves on the way out),
    // then ends with a reason instead of waiting on a dead connection.
    void EndForLostDisplay() {
        if (m_ending) {
            // A loop inside the close request (a dialog) waits again; it can
            // never be answered, so it gets a short while and no more.
            if (++m_waitsWhileEnding > 1000)
                Exit();
            return;
        }
        m_ending = true;
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, x11::DisplayLossReason());
        if (Window* main = WindowSystem::Get().MainWindow())
            main->Close();
        for (int i = 0; i < 100 && WindowSystem::Get().Pump(); ++i) {
        }
        Exit();
    }

    [[noreturn]] void Exit() {
        std::fflush(nullptr);
        std::exit(ExitDisplayLost);
    }

    int ShowMessageBox(Window* owner, std::u16string_view text, std::u16string_view caption,
                       MessageBoxButtons buttons, MessageBoxIcon icon) override {
        if (x11::DisplayLost() || m_endingForSignal) // nobody answers: as an unanswered box
            return DefaultAnswer(buttons);
        return ShowMessageBoxDialog(owner, text, caption, buttons, icon);
    }

    std::optional<std::u16string> ShowFileDialog(const FileDialogOptions& options) override {
        return ShowFileDialogWindow(options);
    }

    void PlayTone(int frequencyHz, int durationMs) override {
        m_tones.Play(frequencyHz, durationMs);
    }

private:
    static inline SdlBackend* s_instance = nullptr;
    sdl::ToneQueue m_tones;
    std::chrono::steady_clock::time_point m_start;
    bool m_ending = false;
    bool m_endingForSignal = false;
    int m_waitsWhileEnding = 0;
};

} // namespace

std::unique_ptr<Backend> MakeSdlBackend(const HostSettings& host) {
    return std::make_unique<SdlBackend>(host);
}

} // namespace platform
