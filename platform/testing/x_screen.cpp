#include "platform/testing/x_screen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace platform::testing {

std::unique_ptr<Canvas> GrabXScreen() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    int w = DisplayWidth(display, 0), h = DisplayHeight(display, 0);
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, w, h, AllPlanes, ZPixmap);
    std::unique_ptr<Canvas> canvas;
    if (image) {
        canvas = Canvas::Create(w, h);
        for (int y = 0; canvas && y < h; ++y)
            for (int x = 0; x < w; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                canvas->SetPixel(x, y, Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
            }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return canvas;
}

} // namespace platform::testing
