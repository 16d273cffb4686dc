#include "x11_windows.h"
#include "platform/text.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>

namespace platform::x11 {

namespace {

bool g_lost = false;
char g_lossReason[160];

// Xlib calls this first when a connection breaks; it must not touch the display.
int NoteLoss(Display* d) {
    if (!g_lost)
        std::snprintf(g_lossReason, sizeof g_lossReason, "lost the connection to display %s",
                      DisplayString(d));
    g_lost = true;
    return 0;
}

void (*g_onLoss)() = nullptr;

// Instead of Xlib's plain exit: the backend ends the program its own way,
// from right here, since the call that noticed (SDL waiting for an event,
// say) cannot go on. Xlib leaves the connection marked dead, so calls on it
// return at once meanwhile.
void EndProgram(Display*, void*) {
    if (g_onLoss)
        g_onLoss();
}

// SDL's own connection, the one that tells us first.
Display* g_watched = nullptr;

int (*g_otherErrors)(Display*, XErrorEvent*) = nullptr;

int IgnoreBadWindow(Display* d, XErrorEvent* e) {
    if (e->error_code == BadWindow)
        return 0;
    return g_otherErrors ? g_otherErrors(d, e) : 0;
}

void Watch(Display* d) {
    XSetIOErrorHandler(NoteLoss);
    XSetIOErrorExitHandler(d, EndProgram, nullptr);
}

Display*& ConnectionSlot() {
    static Display* display = nullptr;
    return display;
}

// One connection of our own for searching; SDL keeps its own for drawing.
Display* Connection() {
    Display*& display = ConnectionSlot();
    if (!display && !g_lost && (display = XOpenDisplay(nullptr)))
        Watch(display);
    return display;
}

int g_trappedErrors = 0;

int CountError(Display*, XErrorEvent*) {
    ++g_trappedErrors;
    return 0;
}

// Windows of other programs may go between two requests about them: errors
// while it lives are counted instead of ending the process.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* d) : m_display(d), m_before(g_trappedErrors) {
        XSync(d, False);
        m_previous = XSetErrorHandler(CountError);
    }
    ~ErrorTrap() {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    bool Failed() {
        XSync(m_display, False);
        return g_trappedErrors != m_before;
    }

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*);
    int m_before;
};

std::string WindowTitle(Display* d, ::Window w) {
    Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

} // namespace

void TolerateVanishedWindows() {
    static bool installed = false;
    if (!installed)
        g_otherErrors = XSetErrorHandler(IgnoreBadWindow);
    installed = true;
}

void Disconnect() {
    Display*& display = ConnectionSlot();
    if (display && !g_lost)
        XCloseDisplay(display);
    display = nullptr;
}

void SetDisplayLossHandler(void (*onLoss)()) {
    g_onLoss = onLoss;
}

void WatchForDisplayLoss(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        g_watched = info.info.x11.display;
        Watch(g_watched);
    }
}

bool DisplayLost() {
    if (g_lost || !g_watched)
        return g_lost;
    // A hung-up socket reads as "ready" with nothing queued, so a waiting
    // loop would spin on it without Xlib ever reading the end of it.
    pollfd p{ConnectionNumber(g_watched), POLLIN, 0};
    if (poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)))
        XSync(g_watched, False); // reads the end: Xlib reports the loss
    return g_lost;
}

const char* DisplayLossReason() {
    return g_lossReason;
}

bool Available() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "x11") == 0 && Connection();
}

void SetWindowClass(SDL_Window* window, std::u16string_view className) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    std::string name = ToUtf8(className);
    XClassHint hint;
    hint.res_name = name.data();
    hint.res_class = name.data();
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
    XFlush(info.info.x11.display);
}

namespace {

struct SdlX11Window {
    Display* display = nullptr;
    ::Window window = 0;
};

SdlX11Window X11WindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || g_lost || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    return {info.info.x11.display, info.info.x11.window};
}

} // namespace

void SetTransientFor(SDL_Window* window, SDL_Window* owner) {
    SdlX11Window w = X11WindowOf(window);
    SdlX11Window o = X11WindowOf(owner);
    if (!w.display || !o.display)
        return;
    XSetTransientForHint(w.display, w.window, o.window);
    XFlush(w.display);
}

void GiveFocus(SDL_Window* window) {
    SdlX11Window w = X11WindowOf(window);
    if (!w.display)
        return;
    // Only a viewable window may have the focus; anything else is an error
    // the trap swallows (the window may be going meanwhile).
    ErrorTrap trap(w.display);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(w.display, w.window, &attributes) &&
        attributes.map_state == IsViewable)
        XSetInputFocus(w.display, w.window, RevertToParent, CurrentTime);
}

uint64_t FindWindow(std::u16string_view className, std::u16string_view title) {
    Display* d = Connection();
    if (!d)
        return 0;
    const std::string wantedClass = ToUtf8(className);
    const std::string wantedTitle = ToUtf8(title);
    ::Window root, parent, *children = nullptr;
    unsigned int count = 0;
    uint64_t found = 0;
    ErrorTrap trap(d);
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        // With a window manager the client window sits one level down.
        ::Window candidates[2] = {children[i], 0};
        ::Window r2, p2, *inner = nullptr;
        unsigned int innerCount = 0;
        if (XQueryTree(d, children[i], &r2, &p2, &inner, &innerCount) && innerCount == 1)
            candidates[1] = inner[0];
        if (inner)
            XFree(inner);
        for (::Window w : candidates) {
            if (!w)
                continue;
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(d, w, &attributes) || attributes.map_state != IsViewable)
                continue;
            XClassHint hint{};
            if (!XGetClassHint(d, w, &hint))
                continue;
            bool match = hint.res_class && wantedClass == hint.res_class;
            XFree(hint.res_name);
            XFree(hint.res_class);
            if (match && (wantedTitle.empty() || WindowTitle(d, w) == wantedTitle)) {
                found = w;
                break;
            }
        }
    }
    if (children)
        XFree(children);
    return found;
}

bool Activate(uint64_t id) {
    Display* d = Connection();
    if (!d || !id)
        return false;
    ::Window w = static_cast<::Window>(id);
    ErrorTrap trap(d);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, w, &attributes))
        return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2; // a request from a pager-like tool: honoured at once
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &e);
    XRaiseWindow(d, w);
    if (attributes.map_state == IsViewable)
        XSetInputFocus(d, w, RevertToParent, CurrentTime);
    return !trap.Failed();
}

} // namespace platform::x11
