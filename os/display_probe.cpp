#include "os/display_probe.h"

#include <X11/Xlib.h>

namespace skyloom {

bool XDisplayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

}  // namespace skyloom
