#include "platform/host.h"
#include "backend.h"
#include "platform/serial.h"
#include "platform/text.h"
#include "window_system.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {

HostSettings g_host;
std::unique_ptr<Backend> g_backend;
bool g_initialized = false;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

} // namespace

bool ParseScreenSize(std::string_view text, int& width, int& height) {
    size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos)
        return false;
    auto number = [](std::string_view s, int limit, int& out) {
        // Digits only: no sign, no blanks; five of them cannot overflow.
        if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != s.npos)
            return false;
        int v = 0;
        for (char c : s)
            v = v * 10 + (c - '0');
        if (v < 1 || v > limit)
            return false;
        out = v;
        return true;
    };
    int w = 0, h = 0;
    // Either orientation of the largest screen, never more pixels than it has.
    if (!number(text.substr(0, x), MaxScreenSide, w) ||
        !number(text.substr(x + 1), MaxScreenSide, h) ||
        static_cast<int64_t>(w) * h > static_cast<int64_t>(MaxScreenWidth) * MaxScreenHeight)
        return false;
    width = w;
    height = h;
    return true;
}

HostSettings ReadHostSettings(std::u16string_view defaultProgramFile) {
    HostSettings h;
    std::string root = Env("CE_ROOT");
    h.root = std::filesystem::absolute(root.empty() ? std::string("device") : root);
    std::string screen = Env("CE_SCREEN");
    if (!screen.empty() && !ParseScreenSize(screen, h.screenWidth, h.screenHeight))
        std::fprintf(
            stderr, "CE_SCREEN=\"%s\" is not WxH with sizes from 1x1 up to %dx%d; using %dx%d\n",
            screen.c_str(), MaxScreenWidth, MaxScreenHeight, h.screenWidth, h.screenHeight);
    std::string fullscreen = Env("CE_FULLSCREEN");
    if (fullscreen == "1")
        h.fullscreen = true;
    else if (!fullscreen.empty() && fullscreen != "0")
        std::fprintf(stderr, "CE_FULLSCREEN=\"%s\" is neither 1 nor 0; using 0\n",
                     fullscreen.c_str());
    std::string backend = Env("CE_BACKEND");
    if (backend == "headless")
        h.backend = BackendKind::Headless;
    else if (backend == "sdl")
        h.backend = BackendKind::Sdl;
    else {
        if (!backend.empty())
            std::fprintf(stderr, "CE_BACKEND=\"%s\" is neither sdl nor headless\n",
                         backend.c_str());
        bool display = !Env("DISPLAY").empty() || !Env("WAYLAND_DISPLAY").empty();
        h.backend = display ? BackendKind::Sdl : BackendKind::Headless;
    }
    if (!Env("CE_SCRIPT").empty())
        h.script = std::filesystem::absolute(Env("CE_SCRIPT"));
    if (!Env("CE_TRANSCRIPT").empty())
        h.transcript = std::filesystem::absolute(Env("CE_TRANSCRIPT"));
    h.ports = Env("CE_PORTS");
    if (h.ports.empty())
        h.ports = DefaultPortMap;
    h.rebootCommand = Env("CE_REBOOT_COMMAND");
    h.keyboardCommand = Env("CE_KEYBOARD_COMMAND");
    std::string registry = Env("CE_REGISTRY");
    h.registry = registry.empty() ? std::filesystem::path(h.root.string() + ".registry")
                                  : std::filesystem::absolute(registry);
    if (!Env("CE_POWER_SUPPLY").empty())
        h.powerSupply = std::filesystem::absolute(Env("CE_POWER_SUPPLY"));
    std::string program = Env("CE_PROGRAM");
    h.programFile = program.empty() ? std::u16string(defaultProgramFile) : FromUtf8(program);
    return h;
}

void Initialize(const HostSettings& settings) {
    if (g_initialized)
        WindowSystem::Get().Clear(); // windows of the previous backend go with it
    g_backend.reset();
    // In force before the backend starts: it may already report (a bad script
    // line goes to the transcript), and reporting must not fall back to defaults.
    g_host = settings;
    g_initialized = true;
    g_backend =
        settings.backend == BackendKind::Sdl ? MakeSdlBackend(g_host) : MakeHeadlessBackend(g_host);
}

const HostSettings& Host() {
    if (!g_initialized)
        Initialize(HostSettings{});
    return g_host;
}

Backend& CurrentBackend() {
    if (!g_initialized)
        Initialize(HostSettings{});
    return *g_backend;
}

} // namespace platform
