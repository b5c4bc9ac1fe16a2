#include "tests/support/screen_checksum.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace skyloom::testing {

unsigned long ScreenChecksum(Display* display) {
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    XImage* image = XGetImage(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return 0;
    }
    unsigned long sum = 0;
    for (int y = 0; y < height; y += 2) {
        for (int x = 0; x < width; x += 2) {
            sum = sum * 31 + XGetPixel(image, x, y);
        }
    }
    XDestroyImage(image);
    return sum;
}

}  // namespace skyloom::testing
