#include "platform/x11/x_connection.h"

#include "saver/fatal_exit.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace skyloom {

namespace {
Display* saverDisplay = nullptr;
std::atomic<bool> displayLost{false};

// The GL window and the saver window: two are ever watched.
constexpr int kMaxWatched = 4;
Window watched[kMaxWatched] = {};
bool watchedVanished = false;

int trapDepth = 0;
int trappedError = 0;

int HandleXError(Display*, XErrorEvent* error) {
    if (trapDepth > 0) {
        trappedError = error->error_code;
        return 0;
    }
    for (Window window : watched) {
        if (window != 0 && window == error->resourceid) {
            watchedVanished = true;
            return 0;
        }
    }
    // Nothing the saver depends on: report it and carry on drawing.
    std::fprintf(stderr, "Skyloom: X error %d (request %d.%d, resource 0x%lx) ignored.\n", error->error_code,
                 error->request_code, error->minor_code, error->resourceid);
    return 0;
}

int HandleXIoError(Display*) {
    // The server is gone (or killed our connection): nothing left to draw
    // on, and nothing to say. Steps that need the display skip themselves.
    displayLost = true;
    FatalExit(0);
}
}  // namespace

Display* OpenSaverDisplay() {
    // Before the first GLX call: some drivers raise X errors (Xvfb for a
    // swap interval) that would otherwise end the process.
    XSetErrorHandler(HandleXError);
    XSetIOErrorHandler(HandleXIoError);
    saverDisplay = XOpenDisplay(nullptr);
    if (saverDisplay == nullptr) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "Skyloom: cannot open the X display \"%s\".\n", name != nullptr ? name : "");
        FatalExit(1);
    }
    return saverDisplay;
}

void CloseSaverDisplay() {
    if (saverDisplay != nullptr) {
        XCloseDisplay(saverDisplay);
        saverDisplay = nullptr;
    }
}

Display* SaverDisplay() { return saverDisplay; }

bool DisplayLost() { return displayLost.load(); }

void AbandonSaverDisplay() { displayLost.store(true); }

void WatchWindow(Window window) {
    for (Window& slot : watched) {
        if (slot == 0 || slot == window) {
            slot = window;
            return;
        }
    }
}

void UnwatchWindow(Window window) {
    for (Window& slot : watched) {
        if (slot == window) {
            slot = 0;
        }
    }
}

bool WatchedWindowVanished() { return watchedVanished; }

XErrorTrap::XErrorTrap(Display* display) : display_(display), savedError_(trappedError) {
    // Errors of earlier requests belong to whoever made them.
    XSync(display_, False);
    ++trapDepth;
    trappedError = 0;
}

XErrorTrap::~XErrorTrap() {
    if (!displayLost) {
        XSync(display_, False);
    }
    --trapDepth;
    // The errors caught here were this trap's to report, not an outer one's.
    trappedError = savedError_;
}

int XErrorTrap::Sync() {
    XSync(display_, False);
    return trappedError;
}

}  // namespace skyloom
