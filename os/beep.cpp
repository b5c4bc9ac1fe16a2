#include "os/beep.h"

#include <X11/Xlib.h>

namespace skyloom {

void Beep() {
    // A connection of its own: the saver's belongs to its host, and a bell
    // is rare enough (one a screenshot) to pay for the round trip.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return;
    }
    XBell(display, 0);
    // Closing flushes the request: rung now.
    XCloseDisplay(display);
}

}  // namespace skyloom
