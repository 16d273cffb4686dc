#include "platform/testing/x_windows.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <thread>

namespace platform::testing {

namespace {

int g_trappedErrors = 0;

int CountError(Display*, XErrorEvent*) {
    ++g_trappedErrors;
    return 0;
}

} // namespace

XConnection OpenXConnection() {
    return XConnection(XOpenDisplay(nullptr));
}

XErrorTrap::XErrorTrap(Display* d) : m_display(d), m_errorsBefore(g_trappedErrors) {
    XSync(d, False); // earlier errors are not ours to swallow
    m_previous = XSetErrorHandler(CountError);
}

XErrorTrap::~XErrorTrap() {
    XSync(m_display, False);
    XSetErrorHandler(m_previous);
}

int XErrorTrap::Errors() {
    XSync(m_display, False);
    return g_trappedErrors - m_errorsBefore;
}

std::string XWindowTitle(Display* d, ::Window w) {
    XErrorTrap trap(d);
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

::Window FindXWindow(Display* d, const std::string& cls, const std::string& title) {
    XErrorTrap trap(d);
    ::Window root, parent, *children = nullptr;
    unsigned int n = 0;
    ::Window found = 0;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n))
        return 0;
    for (unsigned int i = 0; i < n && !found; ++i) {
        XClassHint hint{};
        XWindowAttributes a;
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable &&
            XGetClassHint(d, children[i], &hint)) {
            if (hint.res_class && cls == hint.res_class &&
                (title.empty() || XWindowTitle(d, children[i]) == title))
                found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    if (children)
        XFree(children);
    return found;
}

::Window WaitForXWindow(Display* d, const std::string& cls, const std::string& title,
                        std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (::Window w = FindXWindow(d, cls, title))
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

void AskToClose(Display* d, ::Window w) {
    XErrorTrap trap(d);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
}

bool PressKeyIn(Display* d, ::Window w, const char* keysym) {
    XErrorTrap trap(d);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a))
        return false;
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), a.width / 2, a.height / 2, &x, &y, &child);
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XSetInputFocus(d, w, RevertToParent, CurrentTime);
    KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    return trap.Errors() == 0;
}

Color XScreenPixel(Display* d, int x, int y) {
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return InvalidColor;
    unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

} // namespace platform::testing
