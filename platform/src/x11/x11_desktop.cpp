#include "x11_desktop.h"
#include "platform/canvas.h"
#include "platform/desktop.h"
#include "platform/host.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/text.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef Absolute // XInput's; ours is the device's mouse flag
#include <algorithm>
#include <string>
#include <vector>

namespace platform::x11 {

namespace {

XErrorHandler g_previousHandler = nullptr;

// Another program's window may go away between two calls; that is an answer
// ("not there"), not a reason to end this program as Xlib's default would.
int IgnoreVanishedWindows(Display* d, XErrorEvent* e) {
    if (e->error_code == BadWindow || e->error_code == BadMatch || e->error_code == BadDrawable)
        return 0;
    return g_previousHandler ? g_previousHandler(d, e) : 0;
}

Display* Connection() {
    if (Host().backend != BackendKind::Sdl)
        return nullptr;
    // Opened once; a failed attempt is not repeated on every call.
    static Display* display = [] {
        Display* d = XOpenDisplay(nullptr);
        if (d)
            g_previousHandler = XSetErrorHandler(IgnoreVanishedWindows);
        return d;
    }();
    return display;
}

std::string ClassOf(Display* d, ::Window w) {
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint))
        return {};
    std::string name = hint.res_class ? hint.res_class : "";
    XFree(hint.res_name);
    XFree(hint.res_class);
    return name;
}

bool HasClass(Display* d, ::Window w) {
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint))
        return false;
    XFree(hint.res_name);
    XFree(hint.res_class);
    return true;
}

std::string TitleOf(Display* d, ::Window w) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(d, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        std::string title(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    std::string title;
    if (XFetchName(d, w, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

std::vector<::Window> Children(Display* d, ::Window w) {
    ::Window root, parent, *children = nullptr;
    unsigned int count = 0;
    std::vector<::Window> list;
    if (XQueryTree(d, w, &root, &parent, &children, &count) && children)
        list.assign(children, children + count);
    if (children)
        XFree(children);
    return list;
}

// Top-level client windows, bottom to top. Under a window manager a client
// sits one level below its frame.
std::vector<::Window> Clients(Display* d) {
    std::vector<::Window> clients;
    for (::Window top : Children(d, DefaultRootWindow(d))) {
        if (HasClass(d, top)) {
            clients.push_back(top);
            continue;
        }
        for (::Window inner : Children(d, top))
            if (HasClass(d, inner))
                clients.push_back(inner);
    }
    return clients;
}

// The device's virtual keys on X key symbols; 0 for keys X lacks.
KeySym KeySymOf(int vk) {
    if (vk >= vk::KeyA && vk <= vk::KeyA + 25)
        return XK_a + (vk - vk::KeyA);
    if (vk >= vk::Key0 && vk <= vk::Key0 + 9)
        return XK_0 + (vk - vk::Key0);
    if (vk >= vk::F1 && vk <= vk::F1 + 11)
        return XK_F1 + (vk - vk::F1);
    if (vk >= vk::Numpad0 && vk <= vk::Numpad0 + 9)
        return XK_KP_0 + (vk - vk::Numpad0);
    switch (vk) {
    case vk::Back:
        return XK_BackSpace;
    case vk::Tab:
        return XK_Tab;
    case vk::Return:
        return XK_Return;
    case 16:
        return XK_Shift_L;
    case 17:
        return XK_Control_L;
    case 18:
        return XK_Alt_L;
    case vk::Escape:
        return XK_Escape;
    case vk::Space:
        return XK_space;
    case vk::Prior:
        return XK_Prior;
    case vk::Next:
        return XK_Next;
    case vk::End:
        return XK_End;
    case vk::Home:
        return XK_Home;
    case vk::Left:
        return XK_Left;
    case vk::Up:
        return XK_Up;
    case vk::Right:
        return XK_Right;
    case vk::Down:
        return XK_Down;
    case vk::Delete:
        return XK_Delete;
    case vk::Multiply:
        return XK_KP_Multiply;
    case vk::Add:
        return XK_KP_Add;
    case vk::Subtract:
        return XK_KP_Subtract;
    case 110:
        return XK_KP_Decimal;
    case vk::Divide:
        return XK_KP_Divide;
    case 186:
        return XK_semicolon;
    case 187:
        return XK_equal;
    case 188:
        return XK_comma;
    case 189:
        return XK_minus;
    case 190:
        return XK_period;
    case 191:
        return XK_slash;
    case 192:
        return XK_grave;
    case 219:
        return XK_bracketleft;
    case 220:
        return XK_backslash;
    case 221:
        return XK_bracketright;
    case 222:
        return XK_apostrophe;
    default:
        return 0;
    }
}

KeyCode KeyCodeOf(Display* d, int vk) {
    KeySym sym = KeySymOf(vk);
    return sym ? XKeysymToKeycode(d, sym) : 0;
}

// Pixels of a canvas as an image of the screen's visual (24 or 32 bits).
XImage* ImageOf(Display* d, const Canvas& canvas) {
    const int screen = DefaultScreen(d);
    XImage* image = XCreateImage(d, DefaultVisual(d, screen), DefaultDepth(d, screen), ZPixmap, 0,
                                 nullptr, canvas.Width(), canvas.Height(), 32, 0);
    if (!image)
        return nullptr;
    image->data =
        static_cast<char*>(malloc(static_cast<size_t>(image->bytes_per_line) * canvas.Height()));
    if (!image->data) {
        XDestroyImage(image);
        return nullptr;
    }
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            Color c = canvas.GetPixel(x, y);
            XPutPixel(image, x, y,
                      (static_cast<unsigned long>(GetR(c)) << 16) | (GetG(c) << 8) | GetB(c));
        }
    return image;
}

} // namespace

bool DesktopAvailable() {
    return Connection() != nullptr;
}

uint64_t FindClient(std::u16string_view className, std::u16string_view title) {
    Display* d = Connection();
    if (!d)
        return 0;
    const std::string wantedClass = ToUtf8(className);
    const std::string wantedTitle = ToUtf8(title);
    auto clients = Clients(d);
    for (auto it = clients.rbegin(); it != clients.rend(); ++it)
        if ((wantedClass.empty() || ClassOf(d, *it) == wantedClass) &&
            (wantedTitle.empty() || TitleOf(d, *it) == wantedTitle))
            return *it;
    return 0;
}

uint64_t ClientAt(int x, int y) {
    Display* d = Connection();
    if (!d)
        return 0;
    auto clients = Clients(d);
    for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, *it, &a) || a.map_state != IsViewable)
            continue;
        int rootX = 0, rootY = 0;
        ::Window child;
        XTranslateCoordinates(d, *it, DefaultRootWindow(d), 0, 0, &rootX, &rootY, &child);
        if (x >= rootX && x < rootX + a.width && y >= rootY && y < rootY + a.height)
            return *it;
    }
    return 0;
}

uint64_t ActiveClient() {
    Display* d = Connection();
    if (!d)
        return 0;
    const auto clients = Clients(d);
    auto isClient = [&](::Window w) {
        return std::find(clients.begin(), clients.end(), w) != clients.end();
    };
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window active = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_ACTIVE_WINDOW", False), 0,
                           1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (count == 1 && format == 32)
            active = *reinterpret_cast<::Window*>(data);
        XFree(data);
    }
    if (active && isClient(active))
        return active;
    // Without a window manager: the focus, or the frame or client around it.
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    for (::Window w = focus; w && w != DefaultRootWindow(d) && w != PointerRoot;) {
        if (isClient(w))
            return w;
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &n))
            break;
        if (children)
            XFree(children);
        w = parent;
    }
    return 0;
}

bool IsShown(uint64_t window) {
    Display* d = Connection();
    XWindowAttributes a;
    return d && XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable;
}

std::u16string Describe(uint64_t window) {
    Display* d = Connection();
    if (!d)
        return {};
    std::string title = TitleOf(d, window);
    return FromUtf8(title.empty() ? ClassOf(d, window) : title);
}

bool Place(uint64_t window, int64_t insertAfter, const Rect& rect, bool show) {
    Display* d = Connection();
    XWindowAttributes a;
    if (!d || !XGetWindowAttributes(d, window, &a))
        return false;
    const ::Window root = DefaultRootWindow(d);
    auto ask = [&](const char* type, long l0, long l1, long l2, long l3, long l4) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(d, type, False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = l0;
        e.xclient.data.l[1] = l1;
        e.xclient.data.l[2] = l2;
        e.xclient.data.l[3] = l3;
        e.xclient.data.l[4] = l4;
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    };
    // The window manager's protocol first; without one the server does it.
    const long gravityAndFlags = 1 | 0xF00; // static gravity, x y w h given
    ask("_NET_MOVERESIZE_WINDOW", gravityAndFlags, rect.left, rect.top, rect.Width(),
        rect.Height());
    XMoveResizeWindow(d, window, rect.left, rect.top, rect.Width(), rect.Height());
    if (!show) {
        // ICCCM withdrawal: the window manager forgets the window.
        XWithdrawWindow(d, window, DefaultScreen(d));
        XSync(d, False);
        return true;
    }
    if (insertAfter == InsertAfter::TopMost || insertAfter == InsertAfter::NoTopMost)
        ask("_NET_WM_STATE", insertAfter == InsertAfter::TopMost ? 1 : 0,
            XInternAtom(d, "_NET_WM_STATE_ABOVE", False), 0, 2, 0);
    XMapWindow(d, window);
    if (insertAfter == InsertAfter::Bottom)
        XLowerWindow(d, window);
    else
        XRaiseWindow(d, window);
    XSync(d, False);
    return true;
}

void FakeMouse(uint32_t flags, int x, int y) {
    Display* d = Connection();
    if (!d)
        return;
    if (flags & MouseEventFlag::Absolute)
        XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    else if (flags & MouseEventFlag::Move)
        XTestFakeRelativeMotionEvent(d, x, y, CurrentTime);
    if (flags & MouseEventFlag::LeftDown)
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
    if (flags & MouseEventFlag::LeftUp)
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
}

bool FakeKey(int virtualKey, bool up) {
    Display* d = Connection();
    if (!d)
        return false;
    KeyCode code = KeyCodeOf(d, virtualKey);
    if (!code)
        return false;
    XTestFakeKeyEvent(d, code, up ? False : True, CurrentTime);
    XSync(d, False);
    return true;
}

bool SendMessage(uint64_t window, uint32_t message, uint32_t wParam, uint32_t lParam) {
    Display* d = Connection();
    XWindowAttributes a;
    if (!d || !XGetWindowAttributes(d, window, &a))
        return false;
    const ::Window root = DefaultRootWindow(d);
    XEvent e{};
    long mask = NoEventMask;
    const int x = static_cast<int16_t>(lParam & 0xFFFF);
    const int y = static_cast<int16_t>(lParam >> 16);
    int rootX = 0, rootY = 0;
    ::Window child;
    XTranslateCoordinates(d, window, root, x, y, &rootX, &rootY, &child);
    switch (message) {
    case WindowMessage::LButtonDown:
    case WindowMessage::LButtonUp: {
        const bool down = message == WindowMessage::LButtonDown;
        e.xbutton.type = down ? ButtonPress : ButtonRelease;
        e.xbutton.window = window;
        e.xbutton.root = root;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.x_root = rootX;
        e.xbutton.y_root = rootY;
        e.xbutton.button = Button1;
        e.xbutton.state = down ? 0 : Button1Mask;
        e.xbutton.same_screen = True;
        mask = down ? ButtonPressMask : ButtonReleaseMask;
        break;
    }
    case WindowMessage::KeyDown:
    case WindowMessage::KeyUp: {
        const bool down = message == WindowMessage::KeyDown;
        e.xkey.type = down ? KeyPress : KeyRelease;
        e.xkey.window = window;
        e.xkey.root = root;
        e.xkey.keycode = KeyCodeOf(d, static_cast<int>(wParam));
        // The context bit of the position argument says Alt is held.
        e.xkey.state = (lParam & 0x20000000) ? Mod1Mask : 0;
        e.xkey.same_screen = True;
        if (!e.xkey.keycode)
            return false;
        mask = down ? KeyPressMask : KeyReleaseMask;
        break;
    }
    case WindowMessage::Close:
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        break;
    default:
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(d, "CE_WINDOW_MESSAGE", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = message;
        e.xclient.data.l[1] = wParam;
        e.xclient.data.l[2] = lParam;
        break;
    }
    const bool sent = XSendEvent(d, window, True, mask, &e) != 0;
    XSync(d, False);
    return sent;
}

uint64_t OpenTextWindow(const Rect& rect, const Canvas& image) {
    Display* d = Connection();
    if (!d)
        return 0;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True; // no frame, no focus, above the others
    attributes.background_pixmap = None;
    const int screen = DefaultScreen(d);
    ::Window w =
        XCreateWindow(d, DefaultRootWindow(d), rect.left, rect.top, rect.Width(), rect.Height(), 0,
                      DefaultDepth(d, screen), InputOutput, DefaultVisual(d, screen),
                      CWOverrideRedirect | CWBackPixmap, &attributes);
    if (!w)
        return 0;
    XMapRaised(d, w);
    RefreshTextWindow(w, image);
    return w;
}

void RefreshTextWindow(uint64_t window, const Canvas& image) {
    Display* d = Connection();
    if (!d)
        return;
    if (XImage* x = ImageOf(d, image)) {
        GC gc = XCreateGC(d, window, 0, nullptr);
        XPutImage(d, window, gc, x, 0, 0, 0, 0, image.Width(), image.Height());
        XFreeGC(d, gc);
        XDestroyImage(x);
    }
    XSync(d, False);
}

void CloseTextWindow(uint64_t window) {
    if (Display* d = Connection()) {
        XDestroyWindow(d, window);
        XSync(d, False);
    }
}

bool GrabScreen(const Rect& rect, Canvas& into) {
    Display* d = Connection();
    if (!d)
        return false;
    const Rect screen{0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d))};
    const Rect part = rect.Intersect(screen);
    if (part.IsEmpty())
        return false;
    XImage* image = XGetImage(d, DefaultRootWindow(d), part.left, part.top, part.Width(),
                              part.Height(), AllPlanes, ZPixmap);
    if (!image)
        return false;
    for (int y = 0; y < part.Height(); ++y)
        for (int x = 0; x < part.Width(); ++x) {
            unsigned long p = XGetPixel(image, x, y);
            into.SetPixel(part.left - rect.left + x, part.top - rect.top + y,
                          Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    XDestroyImage(image);
    return true;
}

} // namespace platform::x11
