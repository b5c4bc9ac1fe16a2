#include "platform/x11/event_loop.h"

#include "platform/x11/framework.h"
#include "platform/x11/frame_watchdog.h"
#include "platform/x11/key_translation.h"
#include "platform/x11/signal_pipe.h"
#include "platform/x11/x_connection.h"
#include "platform/x11/x_monitors.h"
#include "saver/entry.h"
#include "saver/fatal_exit.h"
#include "saver/gl_window.h"

#include <X11/Xutil.h>

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <system_error>

namespace skyloom::x11 {

namespace {

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void Dispatch(Window target, const WindowEvent& event) {
    if (target == fw.glWindow && fw.glWindow != 0) {
        GlWindowProc(event);
    } else {
        ScreenSaverProc(event);
    }
}

void RefuseSelectionRequest(const XSelectionRequestEvent& request) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = request.display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.property = None;
    reply.xselection.time = request.time;
    XErrorTrap trap(fw.display);
    XSendEvent(fw.display, request.requestor, False, NoEventMask, &reply);
}

// A change among the root's children (seen in full screen only) may have put
// a window above the saver's.
void NoteTopLevelChange(Window parent, Window changed) {
    if (parent == fw.root && changed != fw.host) {
        fw.raisePending = true;
    }
}

// At most once a frame, so that another client raising its own window in
// turn cannot make the two of them spin.
void KeepOnTop() {
    if (fw.raisePending) {
        fw.raisePending = false;
        XRaiseWindow(fw.display, fw.host);
    }
}

// The saver window covers the screen at its new size; where the GL window
// goes inside it is the saver's to say.
void FollowScreenSize(XEvent& event) {
    ApplyScreenChange(event);
    const int width = DisplayWidth(fw.display, fw.screen);
    const int height = DisplayHeight(fw.display, fw.screen);
    XMoveResizeWindow(fw.display, fw.host, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    WindowEvent size{WindowMessage::Size};
    size.width = width;
    size.height = height;
    ScreenSaverProc(size);
}

// Keys go to the saver window; buttons and motion to the window under them.
void HandleInput(XEvent& event) {
    switch (event.type) {
    case KeyPress: {
        WindowEvent key{WindowMessage::KeyDown};
        key.key = KeyCodeForKeysym(XLookupKeysym(&event.xkey, 0));
        ScreenSaverProc(key);
        break;
    }
    case ButtonPress: {
        WindowEvent button{WindowMessage::MouseButton};
        button.x = event.xbutton.x_root;
        button.y = event.xbutton.y_root;
        Dispatch(event.xbutton.window, button);
        break;
    }
    default: {
        WindowEvent motion{WindowMessage::MouseMove};
        motion.x = event.xmotion.x_root;
        motion.y = event.xmotion.y_root;
        Dispatch(event.xmotion.window, motion);
        break;
    }
    }
}

// A window moved in the root's stack, the saver window resized (the GL
// window follows it where it fills it), or the GL window resized.
void HandleConfigure(const XConfigureEvent& configure) {
    const bool glSizeDiffers = configure.width != fw.glWidth || configure.height != fw.glHeight;
    if (configure.event == fw.root) {
        NoteTopLevelChange(configure.event, configure.window);
    } else if (configure.window == fw.host && fw.glWindow != 0 && GlWindowFollowsHost() && glSizeDiffers) {
        XResizeWindow(fw.display, fw.glWindow, static_cast<unsigned>(configure.width),
                      static_cast<unsigned>(configure.height));
    } else if (configure.window == fw.glWindow && glSizeDiffers) {
        fw.glWidth = configure.width;
        fw.glHeight = configure.height;
        WindowEvent size{WindowMessage::Size};
        size.width = configure.width;
        size.height = configure.height;
        GlWindowProc(size);
    }
}

void HandleEvent(XEvent& event) {
    switch (event.type) {
    case KeyPress:
    case ButtonPress:
    case MotionNotify:
        if (TakesInput()) {
            HandleInput(event);
        }
        break;
    case VisibilityNotify:
        if (event.xvisibility.window == fw.host && event.xvisibility.state != VisibilityUnobscured) {
            fw.raisePending = true;
        }
        break;
    case MapNotify:
        NoteTopLevelChange(event.xmap.event, event.xmap.window);
        break;
    case CirculateNotify:
        NoteTopLevelChange(event.xcirculate.event, event.xcirculate.window);
        break;
    case ConfigureNotify:
        HandleConfigure(event.xconfigure);
        break;
    case DestroyNotify:
        // The preview area closed, the daemon dropped its window, or someone
        // destroyed ours: nothing left to draw on.
        if (event.xdestroywindow.window == fw.host || event.xdestroywindow.window == fw.glWindow) {
            fw.closePosted = true;
        }
        break;
    case ClientMessage:
        if (event.xclient.window == fw.host && event.xclient.message_type == fw.wmProtocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == fw.wmDeleteWindow) {
            fw.closePosted = true;
        }
        break;
    case SelectionRequest:
        // The selection only marks a running saver; it carries no data.
        RefuseSelectionRequest(event.xselectionrequest);
        break;
    default:
        if (event.type == fw.screenChangeEvent) {
            FollowScreenSize(event);
        }
        break;
    }
}

void DrainXEvents() {
    while (!fw.loopEnded && XPending(fw.display) > 0) {
        XEvent event;
        XNextEvent(fw.display, &event);
        HandleEvent(event);
    }
}

// Sleeps until X events or a signal arrive, or the next frame is due.
void WaitForWork() {
    if (fw.closePosted || XEventsQueued(fw.display, QueuedAlready) > 0) {
        return;
    }
    int64_t waitNs = -1;
    if (fw.glWindow != 0) {
        waitNs = fw.pacer.TimeUntilDue(MonotonicNs());
        if (waitNs == 0) {
            return;
        }
    }
    XFlush(fw.display);
    pollfd fds[2] = {{ConnectionNumber(fw.display), POLLIN, 0}, {TerminationSignalFd(), POLLIN, 0}};
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    timespec timeout{waitNs / 1'000'000'000, waitNs % 1'000'000'000};
    ppoll(fds, count, waitNs >= 0 ? &timeout : nullptr, nullptr);
}

// Seconds the emergency teardown gets after a hung frame: it may need the
// very display that stopped answering.
constexpr unsigned kHangTeardownSeconds = 2;

void EndHungSaver(int64_t stuckMs) {
    std::fprintf(stderr, "Skyloom: a frame has not finished for %lld s; the display stopped answering. Ending.\n",
                 static_cast<long long>(stuckMs / 1000));
    // The main thread is stuck inside a display call, perhaps holding the
    // connection's lock. SIGALRM's default action ends the process should
    // the teardown hang all the same.
    AbandonSaverDisplay();
    alarm(kHangTeardownSeconds);
    FatalExit(1);
}

// Frames are watched for hangs once the first is done: that one compiles
// most shaders.
struct HangWatch {
    int64_t timeoutMs = FrameTimeoutMsFromEnvironment();
    std::optional<FrameWatchdog> watchdog;
};

void PaintFrame(HangWatch& hang) {
    KeepOnTop();
    if (hang.watchdog) {
        hang.watchdog->FrameStarted();
    }
    GlWindowProc(WindowEvent{WindowMessage::Paint});
    if (hang.watchdog) {
        hang.watchdog->FrameEnded();
        return;
    }
    if (hang.timeoutMs > 0) {
        try {
            hang.watchdog.emplace(hang.timeoutMs, EndHungSaver);
        } catch (const std::system_error&) {
            std::fprintf(stderr, "Skyloom: cannot watch for hung frames; a hung display keeps the saver.\n");
            hang.timeoutMs = 0;
        }
    }
}

}  // namespace

void RunEventLoop() {
    HangWatch hang;
    while (!fw.loopEnded) {
        DrainXEvents();
        if (fw.loopEnded) {
            break;
        }
        if (TakeTerminationSignal() || WatchedWindowVanished()) {
            fw.closePosted = true;
        }
        if (fw.closePosted) {
            fw.closePosted = false;
            ScreenSaverProc(WindowEvent{WindowMessage::Close});
            continue;
        }
        if (fw.glWindow != 0) {
            const int64_t now = MonotonicNs();
            if (fw.pacer.TimeUntilDue(now) == 0) {
                fw.pacer.FrameStarted(now);
                PaintFrame(hang);
            }
        }
        if (!fw.loopEnded) {
            WaitForWork();
        }
    }
}

}  // namespace skyloom::x11
