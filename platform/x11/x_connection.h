#pragma once

// The saver's one X connection and how X errors are handled. Platform
// layer only: includes Xlib.

#include <X11/Xlib.h>

namespace skyloom {

// Opens the display named by $DISPLAY and installs the error handlers
// before anything else talks to it. A display that cannot be opened ends
// the process with a message and exit code 1 through the emergency teardown.
Display* OpenSaverDisplay();
// Closes it; the handlers stay installed for the rest of the process.
void CloseSaverDisplay();
Display* SaverDisplay();

// True once the connection to the X server has been lost or abandoned.
bool DisplayLost();
// Nothing may use the connection from now on: a crash or a hung frame may
// have left it in the middle of a request with its lock held. Steps that
// need the server then use a connection of their own, as after a loss.
// Async-signal-safe.
void AbandonSaverDisplay();

// X errors about these windows outside an error trap mean the window is
// gone: they mark it vanished instead of being reported.
void WatchWindow(Window window);
void UnwatchWindow(Window window);
bool WatchedWindowVanished();

// Collects the X errors of the requests made while it lives instead of
// reporting them. Nests.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    // Waits for the server to answer everything sent so far; returns the
    // code of the last error caught (0 when none). The trap stays active.
    int Sync();

private:
    Display* display_;
    int savedError_;
};

}  // namespace skyloom
