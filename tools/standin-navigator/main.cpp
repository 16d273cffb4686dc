// A stand-in for the device's navigation application, for tests and
// demonstrations of lokaro. It is another program as far as lokaro is
// concerned, so it speaks X directly and sees exactly what reaches a foreign
// window: pointer and key events (real ones from XTest, or sent ones),
// lokaro's window messages, placement and the close request. Its window shows
// the destination from "\My Documents\target.3na" and the route options from
// the registry; every event goes, one line each, to "navigator.txt" beside the
// program in the device tree.
#include "platform/file.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr char16_t DestinationPath[] = u"\\My Documents\\target.3na";
constexpr char16_t RouteOptionsKey[] = u"Software\\3SOFT\\Pathfinder\\RouteOptions";
constexpr char Title[] = "Navigation";
constexpr char ClassName[] = "StandinNavigator";

class Log {
public:
    explicit Log(const std::filesystem::path& path) : m_out(path, std::ios::app) {}
    bool IsOpen() const { return m_out.is_open(); }
    // Flushed at once: a test reads the file while we run.
    void Write(const std::string& line) { m_out << line << '\n' << std::flush; }

private:
    std::ofstream m_out;
};

std::vector<std::string> DestinationLines() {
    auto bytes = platform::ReadFileContents(DestinationPath);
    if (!bytes)
        return {"no destination"};
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes->size()) {
        size_t end = bytes->find('\n', start);
        if (end == std::string::npos)
            end = bytes->size();
        lines.push_back(platform::ToUtf8(platform::FromAnsi(bytes->substr(start, end - start))));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> RouteOptionLines() {
    std::vector<std::string> lines;
    auto key = platform::RegistryKey::Open(platform::HKEY_CURRENT_USER, RouteOptionsKey);
    if (!key)
        return {"no route options"};
    for (const auto& value : key->Values().value_or(std::vector<platform::RegistryValue>{}))
        if (auto dword = key->QueryDword(value.name))
            lines.push_back(platform::ToUtf8(value.name) + "=" + std::to_string(*dword));
    return lines;
}

std::string KeyName(XKeyEvent& e) {
    KeySym sym = XLookupKeysym(&e, 0);
    const char* name = sym ? XKeysymToString(sym) : nullptr;
    return name ? name : "keycode" + std::to_string(e.keycode);
}

const char* Sent(const XAnyEvent& e) {
    return e.send_event ? "yes" : "no";
}

std::string Hex(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%lX", value & 0xFFFFFFFFul);
    return text;
}

void Draw(Display* d, ::Window w, GC gc, const std::vector<std::string>& lines) {
    XClearWindow(d, w);
    int y = 16;
    for (const std::string& line : lines) {
        XDrawString(d, w, gc, 8, y, line.c_str(), static_cast<int>(line.size()));
        y += 14;
    }
    XFlush(d);
}

} // namespace

int main() {
    auto host = platform::ReadHostSettings(u"\\My Flash Disk\\Navigation\\mnavdce.exe");
    host.backend = platform::BackendKind::Headless; // only files and registry; X is ours
    platform::Initialize(host);
    std::u16string logPath = platform::ProgramFilePath();
    logPath = logPath.substr(0, logPath.rfind(u'\\') + 1) + u"navigator.txt";
    auto hostLog = platform::HostPathOf(logPath);
    if (!hostLog) {
        std::fprintf(stderr, "standin-navigator: no place for its log\n");
        return 1;
    }
    Log log(*hostLog);
    if (!log.IsOpen()) {
        std::fprintf(stderr, "standin-navigator: cannot write %s\n", hostLog->c_str());
        return 1;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        log.Write("failed: no X display");
        std::fprintf(stderr, "standin-navigator: needs an X display\n");
        return 1;
    }

    std::vector<std::string> lines = {Title};
    for (auto& line : DestinationLines())
        lines.push_back(line);
    for (auto& line : RouteOptionLines())
        lines.push_back(line);

    const int screen = DefaultScreen(d);
    const int width = platform::Host().screenWidth, height = platform::Host().screenHeight;
    ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, width, height, 0,
                                     BlackPixel(d, screen), WhitePixel(d, screen));
    XClassHint hint;
    std::string name = ClassName;
    hint.res_name = name.data();
    hint.res_class = name.data();
    XSetClassHint(d, w, &hint);
    XStoreName(d, w, Title);
    Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, w, &deleteWindow, 1);
    const Atom windowMessage = XInternAtom(d, "CE_WINDOW_MESSAGE", False);
    XSelectInput(d, w,
                 ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask |
                     KeyReleaseMask | StructureNotifyMask);
    GC gc = XCreateGC(d, w, 0, nullptr);
    XSetForeground(d, gc, BlackPixel(d, screen));
    XMapWindow(d, w);
    XSync(d, False);

    for (size_t i = 1; i < lines.size(); ++i)
        log.Write("shows " + lines[i]);
    log.Write("ready pid=" + std::to_string(::getpid()));

    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        switch (e.type) {
        case Expose:
            if (e.xexpose.count == 0)
                Draw(d, w, gc, lines);
            break;
        case ButtonPress:
        case ButtonRelease:
            log.Write(std::string(e.type == ButtonPress ? "button down" : "button up") +
                      " button=" + std::to_string(e.xbutton.button) +
                      " x=" + std::to_string(e.xbutton.x) + " y=" + std::to_string(e.xbutton.y) +
                      " sent=" + Sent(e.xany));
            break;
        case KeyPress:
        case KeyRelease:
            log.Write(std::string(e.type == KeyPress ? "key down " : "key up ") + KeyName(e.xkey) +
                      ((e.xkey.state & Mod1Mask) ? " alt" : "") + " sent=" + Sent(e.xany));
            break;
        case ConfigureNotify:
            log.Write("placed x=" + std::to_string(e.xconfigure.x) + " y=" +
                      std::to_string(e.xconfigure.y) + " w=" + std::to_string(e.xconfigure.width) +
                      " h=" + std::to_string(e.xconfigure.height));
            break;
        case ClientMessage:
            if (e.xclient.message_type == windowMessage) {
                log.Write("message " + Hex(e.xclient.data.l[0]) + " wparam=" +
                          Hex(e.xclient.data.l[1]) + " lparam=" + Hex(e.xclient.data.l[2]));
            } else if (static_cast<Atom>(e.xclient.data.l[0]) == deleteWindow) {
                log.Write("close");
                XFreeGC(d, gc);
                XDestroyWindow(d, w);
                XCloseDisplay(d);
                return 0;
            }
            break;
        default:
            break;
        }
    }
}
