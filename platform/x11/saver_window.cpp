#include "platform/x11/saver_window.h"

#include "platform/x11/framework.h"
#include "platform/x11/x_connection.h"
#include "platform/x11/x_monitors.h"
#include "saver/api_result.h"
#include "saver/entry.h"
#include "saver/gl_window.h"

#include <time.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace skyloom::x11 {

namespace {

// How long a full-screen saver keeps asking for the keyboard and pointer
// while another client still holds them.
constexpr int kGrabAttempts = 50;
constexpr long kGrabRetryNs = 20'000'000;

// A full-screen saver already running owns this selection with its window.
Atom RunningSaverSelection() {
    const std::string name = "_SKYLOOM_SAVER_S" + std::to_string(fw.screen);
    return XInternAtom(fw.display, name.c_str(), False);
}

// 0, with the X error, when the server refused it.
struct HostWindow {
    Window window = 0;
    uint32_t error = 0;
};

HostWindow CreateOwnHostWindow(int x, int y, int width, int height, bool overrideRedirect, long eventMask) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(fw.display, fw.screen);
    attributes.override_redirect = overrideRedirect ? True : False;
    attributes.event_mask = eventMask;
    XErrorTrap trap(fw.display);
    const Window window =
        XCreateWindow(fw.display, fw.root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask,
                      &attributes);
    const int error = trap.Sync();
    return HostWindow{error == 0 ? window : 0, static_cast<uint32_t>(error)};
}

void HideCursor() {
    static const char empty[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(fw.display, fw.host, empty, 1, 1);
    XColor black{};
    fw.blankCursor = XCreatePixmapCursor(fw.display, blank, blank, &black, &black, 0, 0);
    XFreePixmap(fw.display, blank);
    XDefineCursor(fw.display, fw.host, fw.blankCursor);
}

void GrabInput() {
    XMapRaised(fw.display, fw.host);
    XSync(fw.display, False);
    bool keyboard = false;
    bool pointer = false;
    for (int attempt = 0; attempt < kGrabAttempts && !(keyboard && pointer); ++attempt) {
        if (attempt > 0) {
            const timespec pause{0, kGrabRetryNs};
            nanosleep(&pause, nullptr);
        }
        if (!keyboard) {
            keyboard = XGrabKeyboard(fw.display, fw.host, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
                       GrabSuccess;
        }
        if (!pointer) {
            // Owner events: motion over the GL window reaches the GL window's procedure.
            pointer = XGrabPointer(fw.display, fw.host, True, ButtonPressMask | PointerMotionMask, GrabModeAsync,
                                   GrabModeAsync, None, fw.blankCursor, CurrentTime) == GrabSuccess;
        }
    }
    if (!keyboard || !pointer) {
        // Input still arrives wherever it is not taken by the other client.
        std::fprintf(stderr, "Skyloom: another program holds the %s; input may not end the saver.\n",
                     !keyboard ? "keyboard" : "pointer");
    }
}

}  // namespace

bool CreateFullScreenHost() {
    // Held while looking and claiming, so two savers started together
    // cannot both find the screen free.
    XGrabServer(fw.display);
    const Atom selection = RunningSaverSelection();
    const Window running = XGetSelectionOwner(fw.display, selection);
    if (running != None) {
        {
            XErrorTrap trap(fw.display);
            XMapRaised(fw.display, running);
        }
        XUngrabServer(fw.display);
        XFlush(fw.display);
        return false;
    }
    const long mask = KeyPressMask | ButtonPressMask | PointerMotionMask | StructureNotifyMask | VisibilityChangeMask;
    const HostWindow created = CreateOwnHostWindow(0, 0, DisplayWidth(fw.display, fw.screen),
                                                   DisplayHeight(fw.display, fw.screen), true, mask);
    fw.host = created.window;
    if (fw.host != 0) {
        XSetSelectionOwner(fw.display, selection, fw.host, CurrentTime);
    }
    // Before anything can fail: the message box needs a connection of its
    // own, which the server does not serve while it is grabbed.
    XUngrabServer(fw.display);
    XFlush(fw.display);
    CheckApiResult(static_cast<intptr_t>(fw.host), 0, "XCreateWindow", created.error);
    SetWindowNames(fw.host);
    fw.ownsHost = true;
    fw.hostDepth = DefaultDepth(fw.display, fw.screen);
    // Every window mapped, moved in the stack or raised later reaches us.
    XSelectInput(fw.display, fw.root, SubstructureNotifyMask);
    // A monitor plugged in, removed or rotated changes the screen's size.
    fw.screenChangeEvent = WatchScreenChanges(fw.display, fw.root);
    HideCursor();
    return true;
}

void CreateDesktopWindowHost() {
    const HostWindow created =
        CreateOwnHostWindow(0, 0, kWindowModeWidth, kWindowModeHeight, false, KeyPressMask | StructureNotifyMask);
    fw.host = created.window;
    CheckApiResult(static_cast<intptr_t>(fw.host), 0, "XCreateWindow", created.error);
    SetWindowNames(fw.host);
    fw.ownsHost = true;
    fw.hostDepth = DefaultDepth(fw.display, fw.screen);
    fw.wmProtocols = XInternAtom(fw.display, "WM_PROTOCOLS", False);
    fw.wmDeleteWindow = XInternAtom(fw.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(fw.display, fw.host, &fw.wmDeleteWindow, 1);
}

bool AdoptForeignHost(Window window, int& width, int& height) {
    XWindowAttributes attributes{};
    {
        XErrorTrap trap(fw.display);
        if (!XGetWindowAttributes(fw.display, window, &attributes) || trap.Sync() != 0) {
            return false;
        }
        // Its size changes and its end reach us; its input stays its owner's.
        XSelectInput(fw.display, window, StructureNotifyMask);
        if (trap.Sync() != 0) {
            return false;
        }
    }
    fw.host = window;
    fw.ownsHost = false;
    fw.hostDepth = attributes.depth;
    width = attributes.width;
    height = attributes.height;
    return true;
}

PointerOrigin QueryPointerOrigin() {
    Window rootReturn = 0;
    Window childReturn = 0;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int buttons = 0;
    if (!XQueryPointer(fw.display, fw.root, &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &buttons) ||
        rootReturn != fw.root) {
        return PointerOrigin{};
    }
    return PointerOrigin{true, rootX, rootY};
}

void ShowSaverWindow() {
    if (fw.mode == SaverMode::FullScreen) {
        GrabInput();
    } else if (fw.ownsHost) {
        XMapWindow(fw.display, fw.host);
    }
}

void DropRefusedSaverWindow() {
    if (fw.ownsHost) {
        XDestroyWindow(fw.display, fw.host);
    }
}

void DestroySaverWindow() {
    if (fw.loopEnded) {
        return;
    }
    // Off the screen first: the scene's teardown takes a while, and the last
    // frame must not stay frozen in front of the user meanwhile.
    const Window shown = fw.ownsHost ? fw.host : fw.glWindow;
    if (shown != 0) {
        XErrorTrap trap(fw.display);
        XUnmapWindow(fw.display, shown);
        XFlush(fw.display);
    }
    if (fw.glWindow != 0) {
        GlWindowProc(WindowEvent{WindowMessage::Destroy});
    }
    ScreenSaverProc(WindowEvent{WindowMessage::Destroy});
    {
        // Either window may be gone already.
        XErrorTrap trap(fw.display);
        if (fw.glWindow != 0) {
            UnwatchWindow(fw.glWindow);
            XDestroyWindow(fw.display, fw.glWindow);
            XFreeColormap(fw.display, fw.glColormap);
            fw.glWindow = 0;
        }
        UnwatchWindow(fw.host);
        if (fw.ownsHost) {
            XUngrabKeyboard(fw.display, CurrentTime);
            XUngrabPointer(fw.display, CurrentTime);
            XDestroyWindow(fw.display, fw.host);
        }
        if (fw.blankCursor != 0) {
            XFreeCursor(fw.display, fw.blankCursor);
            fw.blankCursor = 0;
        }
    }
    fw.host = 0;
    fw.loopEnded = true;
}

}  // namespace skyloom::x11
