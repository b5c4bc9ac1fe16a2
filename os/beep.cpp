#include "os/beep.h"

#include "platform/x11/x_connection.h"

namespace skyloom {

void Beep() {
    Display* display = SaverDisplay();
    if (display == nullptr || DisplayLost()) {
        return;
    }
    XBell(display, 0);
    // Rung now, not whenever the next frame flushes the connection.
    XFlush(display);
}

}  // namespace skyloom
