#include "XWindows.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <thread>

namespace e2e {

namespace {
std::string Title(Display* d, ::Window w) {
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
    }
    return title;
}
} // namespace

::Window FindXWindow(Display* d, const std::string& cls, const std::string& title) {
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
                (title.empty() || Title(d, children[i]) == title))
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
    auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (::Window w = FindXWindow(d, cls, title))
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

void AskToClose(Display* d, ::Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XFlush(d);
}

void PressKeyIn(Display* d, ::Window w, const char* keysym) {
    XWindowAttributes a;
    XGetWindowAttributes(d, w, &a);
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), a.width / 2, a.height / 2, &x, &y, &child);
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XSetInputFocus(d, w, RevertToParent, CurrentTime);
    KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

} // namespace e2e
