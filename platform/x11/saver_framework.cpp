#include "platform/x11/saver_framework.h"

#include "main/command_line.h"
#include "platform/x11/crash_signals.h"
#include "platform/x11/desktop_capture.h"
#include "os/detached_process.h"
#include "os/executable_path.h"
#include "platform/x11/frame_pacer.h"
#include "platform/x11/frame_watchdog.h"
#include "platform/x11/glx_visual.h"
#include "platform/x11/key_translation.h"
#include "os/player_process.h"
#include "platform/offscreen/render_host.h"
#include "saver/saver_host.h"
#include "platform/x11/signal_pipe.h"
#include "platform/x11/xscreensaver_install.h"
#include "platform/x11/x_connection.h"
#include "platform/x11/x_monitor_power.h"
#include "platform/x11/x_monitors.h"
#include "saver/api_result.h"
#include "saver/default_saver_proc.h"
#include "saver/entry.h"
#include "saver/fatal_exit.h"
#include "saver/gl_window.h"
#include "saver/music_player.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"
#include "settings/settings.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>

namespace skyloom {

namespace {

constexpr int kWindowModeWidth = 1280;
constexpr int kWindowModeHeight = 720;
// How long a full-screen saver keeps asking for the keyboard and pointer
// while another client still holds them.
constexpr int kGrabAttempts = 50;
constexpr long kGrabRetryNs = 20'000'000;

struct Framework {
    Display* display = nullptr;
    int screen = 0;
    Window root = 0;
    SaverMode mode = SaverMode::FullScreen;
    // The saver window: ours in /s and -window, someone else's otherwise.
    Window host = 0;
    bool ownsHost = false;
    int hostDepth = 0;
    Window glWindow = 0;
    Colormap glColormap = 0;
    GLXContext context = nullptr;
    int glWidth = 0;
    int glHeight = 0;
    Cursor blankCursor = 0;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    bool closePosted = false;
    bool loopEnded = false;
    // Full screen: another window went up or came above ours.
    bool raisePending = false;
    // RandR's screen change event type, -1 when not watched.
    int screenChangeEvent = -1;
    FramePacer pacer;
};

Framework fw;
const OffscreenSurface* offscreen = nullptr;
bool acceleratedForced = false;

int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

bool TakesInput() { return fw.mode == SaverMode::FullScreen || fw.mode == SaverMode::Window; }

// The GL window fills the saver window and follows its size, except full
// screen where it may cover the primary monitor alone.
bool GlWindowFollowsHost() { return fw.mode != SaverMode::FullScreen; }

void ResetLastApiError() { SetLastApiError(0); }

// ---- start-up of the saver window per mode ----

// A full-screen saver already running owns this selection with its window.
Atom RunningSaverSelection() {
    const std::string name = "_SKYLOOM_SAVER_S" + std::to_string(fw.screen);
    return XInternAtom(fw.display, name.c_str(), False);
}

void SetWindowNames(Window window) {
    XStoreName(fw.display, window, kProductName);
    const Atom netWmName = XInternAtom(fw.display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(fw.display, "UTF8_STRING", False);
    XChangeProperty(fw.display, window, netWmName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kProductName), static_cast<int>(std::strlen(kProductName)));
    XClassHint hint;
    hint.res_name = const_cast<char*>("skyloom");
    hint.res_class = const_cast<char*>(kProductName);
    XSetClassHint(fw.display, window, &hint);
}

// 0 when the server refused it; the error is then the last API error.
Window CreateOwnHostWindow(int x, int y, int width, int height, bool overrideRedirect, long eventMask) {
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(fw.display, fw.screen);
    attributes.override_redirect = overrideRedirect ? True : False;
    attributes.event_mask = eventMask;
    XErrorTrap trap(fw.display);
    ResetLastApiError();
    const Window window =
        XCreateWindow(fw.display, fw.root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect | CWEventMask,
                      &attributes);
    return trap.Sync() == 0 ? window : 0;
}

// Full screen: one saver per screen. Returns false when another one runs;
// that one has then been raised.
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
    fw.host = CreateOwnHostWindow(0, 0, DisplayWidth(fw.display, fw.screen), DisplayHeight(fw.display, fw.screen), true,
                                  mask);
    if (fw.host != 0) {
        XSetSelectionOwner(fw.display, selection, fw.host, CurrentTime);
    }
    // Before anything can fail: the message box needs a connection of its
    // own, which the server does not serve while it is grabbed.
    XUngrabServer(fw.display);
    XFlush(fw.display);
    CheckApiResult(static_cast<intptr_t>(fw.host), 0, "XCreateWindow");
    SetWindowNames(fw.host);
    fw.ownsHost = true;
    fw.hostDepth = DefaultDepth(fw.display, fw.screen);
    // Every window mapped, moved in the stack or raised later reaches us.
    XSelectInput(fw.display, fw.root, SubstructureNotifyMask);
    // A monitor plugged in, removed or rotated changes the screen's size.
    fw.screenChangeEvent = WatchScreenChanges(fw.display, fw.root);

    static const char empty[1] = {0};
    const Pixmap blank = XCreateBitmapFromData(fw.display, fw.host, empty, 1, 1);
    XColor black{};
    fw.blankCursor = XCreatePixmapCursor(fw.display, blank, blank, &black, &black, 0, 0);
    XFreePixmap(fw.display, blank);
    XDefineCursor(fw.display, fw.host, fw.blankCursor);
    return true;
}

void CreateDesktopWindowHost() {
    fw.host = CreateOwnHostWindow(0, 0, kWindowModeWidth, kWindowModeHeight, false, KeyPressMask | StructureNotifyMask);
    CheckApiResult(static_cast<intptr_t>(fw.host), 0, "XCreateWindow");
    SetWindowNames(fw.host);
    fw.ownsHost = true;
    fw.hostDepth = DefaultDepth(fw.display, fw.screen);
    fw.wmProtocols = XInternAtom(fw.display, "WM_PROTOCOLS", False);
    fw.wmDeleteWindow = XInternAtom(fw.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(fw.display, fw.host, &fw.wmDeleteWindow, 1);
}

// Someone else's window: the preview area or the daemon's window. False
// when the id names no window.
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

// ---- events ----

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

void HandleEvent(XEvent& event) {
    switch (event.type) {
    case KeyPress:
        if (TakesInput()) {
            WindowEvent key{WindowMessage::KeyDown};
            key.key = KeyCodeForKeysym(XLookupKeysym(&event.xkey, 0));
            ScreenSaverProc(key);
        }
        break;
    case ButtonPress:
        if (TakesInput()) {
            WindowEvent button{WindowMessage::MouseButton};
            button.x = event.xbutton.x_root;
            button.y = event.xbutton.y_root;
            Dispatch(event.xbutton.window, button);
        }
        break;
    case MotionNotify:
        if (TakesInput()) {
            WindowEvent motion{WindowMessage::MouseMove};
            motion.x = event.xmotion.x_root;
            motion.y = event.xmotion.y_root;
            Dispatch(event.xmotion.window, motion);
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
    case ConfigureNotify: {
        const XConfigureEvent& configure = event.xconfigure;
        if (configure.event == fw.root) {
            NoteTopLevelChange(configure.event, configure.window);
        } else if (configure.window == fw.host && fw.glWindow != 0 && GlWindowFollowsHost() &&
                   (configure.width != fw.glWidth || configure.height != fw.glHeight)) {
            XResizeWindow(fw.display, fw.glWindow, static_cast<unsigned>(configure.width),
                          static_cast<unsigned>(configure.height));
        } else if (configure.window == fw.glWindow &&
                   (configure.width != fw.glWidth || configure.height != fw.glHeight)) {
            fw.glWidth = configure.width;
            fw.glHeight = configure.height;
            WindowEvent size{WindowMessage::Size};
            size.width = configure.width;
            size.height = configure.height;
            GlWindowProc(size);
        }
        break;
    }
    case DestroyNotify:
        // The preview area closed, the daemon dropped its window, or someone
        // destroyed ours: nothing left to draw on.
        if (event.xdestroywindow.window == fw.host || event.xdestroywindow.window == fw.glWindow) {
            PostCloseMessage();
        }
        break;
    case ClientMessage:
        if (event.xclient.window == fw.host && event.xclient.message_type == fw.wmProtocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == fw.wmDeleteWindow) {
            PostCloseMessage();
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

void RunEventLoop() {
    int64_t frameTimeoutMs = FrameTimeoutMsFromEnvironment();
    // Armed once the first frame is done: that one compiles most shaders.
    std::optional<FrameWatchdog> watchdog;
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
                KeepOnTop();
                if (watchdog) {
                    watchdog->FrameStarted();
                }
                GlWindowProc(WindowEvent{WindowMessage::Paint});
                if (watchdog) {
                    watchdog->FrameEnded();
                } else if (frameTimeoutMs > 0) {
                    try {
                        watchdog.emplace(frameTimeoutMs, EndHungSaver);
                    } catch (const std::system_error&) {
                        std::fprintf(stderr, "Skyloom: cannot watch for hung frames; a hung display keeps the saver.\n");
                        frameTimeoutMs = 0;
                    }
                }
            }
        }
        if (!fw.loopEnded) {
            WaitForWork();
        }
    }
}

// ---- the saver modes ----

int RunSaver(const CommandLine& line) {
    // Nothing the saver starts, the player or the configuration window of
    // F1, may autolaunch a session bus that outlives it. Before any thread.
    DisableSessionBusAutolaunch();
    if (!InstallTerminationSignalPipe()) {
        std::fprintf(stderr, "Skyloom: cannot watch for termination signals; they end the saver abruptly.\n");
    }
    if (!InstallCrashTeardown()) {
        std::fprintf(stderr, "Skyloom: cannot watch for crashes; a crash may leave the music player running.\n");
    }
    if (line.showFrameRate) {
        ShowFrameRateThisRun();
    }
    fw.display = OpenSaverDisplay();
    fw.screen = DefaultScreen(fw.display);
    fw.root = RootWindow(fw.display, fw.screen);

    int width = 0;
    int height = 0;
    switch (line.mode) {
    case LaunchMode::FullScreen:
        fw.mode = SaverMode::FullScreen;
        if (!CreateFullScreenHost()) {
            CloseSaverDisplay();
            return 0;
        }
        width = DisplayWidth(fw.display, fw.screen);
        height = DisplayHeight(fw.display, fw.screen);
        break;
    case LaunchMode::Window:
        fw.mode = SaverMode::Window;
        CreateDesktopWindowHost();
        width = kWindowModeWidth;
        height = kWindowModeHeight;
        break;
    case LaunchMode::Preview:
        fw.mode = SaverMode::Preview;
        fChildPreview = true;
        if (!AdoptForeignHost(line.windowId, width, height)) {
            std::fprintf(stderr, "Skyloom: 0x%x is not a window.\n", line.windowId);
            CloseSaverDisplay();
            return 2;
        }
        break;
    case LaunchMode::Root: {
        fw.mode = SaverMode::Root;
        Window window = fw.root;
        const char* named = std::getenv("XSCREENSAVER_WINDOW");
        if (named != nullptr && named[0] != '\0') {
            const std::optional<uint32_t> id = ParseWindowId(named);
            if (!id) {
                std::fprintf(stderr, "Skyloom: XSCREENSAVER_WINDOW=\"%s\" is not a window id.\n", named);
                CloseSaverDisplay();
                return 2;
            }
            window = *id;
        }
        if (!AdoptForeignHost(window, width, height)) {
            std::fprintf(stderr, "Skyloom: 0x%lx is not a window.\n", window);
            CloseSaverDisplay();
            return 2;
        }
        break;
    }
    default:
        return 2;
    }
    WatchWindow(fw.host);
    if (fw.mode == SaverMode::FullScreen) {
        StartInputWatch(QueryPointerOrigin());
    }

    WindowEvent create{WindowMessage::Create};
    create.width = width;
    create.height = height;
    if (ScreenSaverProc(create) != 0) {
        // Refused (a display the saver cannot draw on); the reason is out.
        if (fw.ownsHost) {
            XDestroyWindow(fw.display, fw.host);
        }
        CloseSaverDisplay();
        return 1;
    }

    if (fw.mode == SaverMode::FullScreen) {
        GrabInput();
    } else if (fw.ownsHost) {
        XMapWindow(fw.display, fw.host);
    }
    fw.pacer.SetPeriod(VsyncEnabled.Get() != 0 ? FramePeriodForRate(QueryRefreshRate(fw.display, fw.root)) : 0);
    RunEventLoop();
    // The windows are down: a player slow to close keeps no frame on screen.
    CloseConfiguredMusic();
    CloseSaverDisplay();
    return 0;
}

}  // namespace

// ---- what the program's procedures call ----

SaverMode CurrentSaverMode() { return offscreen != nullptr ? SaverMode::Render : fw.mode; }

void InstallOffscreenSurface(const OffscreenSurface* surface) { offscreen = surface; }

std::vector<MonitorInfo> ListMonitors() { return QueryMonitors(fw.display, fw.root); }

int32_t SaverWindowColorBits() { return fw.hostDepth; }

void CreateGlWindow(const ScreenRect& rect) {
    // The desktop picture must be read before our own window covers it.
    if (fw.mode == SaverMode::FullScreen || fw.mode == SaverMode::Window) {
        CaptureScreenArea(rect.x, rect.y, rect.width, rect.height);
    } else if (fw.mode == SaverMode::Root) {
        CaptureDaemonScreenshot(static_cast<uint32_t>(fw.host));
    }
    XVisualInfo wanted{};
    wanted.screen = fw.screen;
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(fw.display, VisualScreenMask, &wanted, &count);
    std::vector<GlVisualCandidate> candidates;
    for (int i = 0; i < count; ++i) {
        GlVisualCandidate c;
        XVisualInfo* v = &visuals[i];
        int value = 0;
        c.depth = v->depth;
        c.trueColor = v->c_class == TrueColor;
        c.usesGl = glXGetConfig(fw.display, v, GLX_USE_GL, &value) == 0 && value != 0;
        if (c.usesGl) {
            glXGetConfig(fw.display, v, GLX_RGBA, &value);
            c.rgba = value != 0;
            glXGetConfig(fw.display, v, GLX_DOUBLEBUFFER, &value);
            c.doubleBuffered = value != 0;
            glXGetConfig(fw.display, v, GLX_LEVEL, &c.level);
            glXGetConfig(fw.display, v, GLX_DEPTH_SIZE, &c.depthBufferBits);
            glXGetConfig(fw.display, v, GLX_STENCIL_SIZE, &c.stencilBits);
            int accum = 0;
            c.accumBits = 0;
            for (int attribute : {GLX_ACCUM_RED_SIZE, GLX_ACCUM_GREEN_SIZE, GLX_ACCUM_BLUE_SIZE, GLX_ACCUM_ALPHA_SIZE}) {
                glXGetConfig(fw.display, v, attribute, &accum);
                c.accumBits += accum;
            }
            if (glXGetConfig(fw.display, v, GLX_SAMPLES, &value) == 0) {
                c.samples = value;
            }
        }
        candidates.push_back(c);
    }
    const int chosen = ChooseGlVisual(candidates, DisplayColorBits());
    XVisualInfo visual{};
    if (chosen >= 0) {
        visual = visuals[chosen];
    }
    if (visuals != nullptr) {
        XFree(visuals);
    }
    ResetLastApiError();
    CheckApiResult(chosen, -1, "glXChooseVisual");

    const unsigned width = static_cast<unsigned>(rect.width > 0 ? rect.width : 1);
    const unsigned height = static_cast<unsigned>(rect.height > 0 ? rect.height : 1);
    {
        XErrorTrap trap(fw.display);
        ResetLastApiError();
        fw.glColormap = XCreateColormap(fw.display, fw.root, visual.visual, AllocNone);
        XSetWindowAttributes attributes{};
        attributes.colormap = fw.glColormap;
        attributes.border_pixel = 0;
        attributes.event_mask = StructureNotifyMask | (TakesInput() ? ButtonPressMask | PointerMotionMask : 0);
        // Drawn on the root window itself: a window manager must not frame
        // it, and it stays below everything else like the root's own picture.
        const bool onRoot = fw.host == fw.root;
        attributes.override_redirect = onRoot ? True : False;
        // No background: until the first frame the window shows what was there.
        fw.glWindow =
            XCreateWindow(fw.display, fw.host, rect.x, rect.y, width, height, 0, visual.depth, InputOutput,
                          visual.visual, CWColormap | CWBorderPixel | CWEventMask | CWOverrideRedirect, &attributes);
        if (onRoot) {
            XLowerWindow(fw.display, fw.glWindow);
        }
        if (trap.Sync() != 0) {
            fw.glWindow = 0;
        }
    }
    CheckApiResult(static_cast<intptr_t>(fw.glWindow), 0, "XCreateWindow");
    WatchWindow(fw.glWindow);
    SetWindowNames(fw.glWindow);

    ResetLastApiError();
    fw.context = glXCreateContext(fw.display, &visual, nullptr, True);
    CheckApiResult(reinterpret_cast<intptr_t>(fw.context), 0, "glXCreateContext");
    Bool current = False;
    {
        XErrorTrap trap(fw.display);
        ResetLastApiError();
        current = glXMakeCurrent(fw.display, fw.glWindow, fw.context);
        if (trap.Sync() != 0) {
            current = False;
        }
    }
    CheckApiResult(current, False, "glXMakeCurrent");

    fw.glWidth = static_cast<int>(width);
    fw.glHeight = static_cast<int>(height);
    GlWindowProc(WindowEvent{WindowMessage::Create});
    XMapWindow(fw.display, fw.glWindow);
    WindowEvent size{WindowMessage::Size};
    size.width = fw.glWidth;
    size.height = fw.glHeight;
    GlWindowProc(size);
}

void MoveGlWindow(const ScreenRect& rect) {
    if (fw.glWindow == 0) {
        return;
    }
    XMoveResizeWindow(fw.display, fw.glWindow, rect.x, rect.y, static_cast<unsigned>(rect.width > 0 ? rect.width : 1),
                      static_cast<unsigned>(rect.height > 0 ? rect.height : 1));
}

void PostCloseMessage() { fw.closePosted = true; }

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

void SwapGlBuffers() {
    if (offscreen != nullptr) {
        offscreen->swap();
        return;
    }
    glXSwapBuffers(fw.display, fw.glWindow);
}

void ReleaseGlContext() {
    if (offscreen != nullptr) {
        offscreen->release();
        return;
    }
    if (fw.context == nullptr) {
        return;
    }
    XErrorTrap trap(fw.display);
    glXMakeCurrent(fw.display, None, nullptr);
    glXDestroyContext(fw.display, fw.context);
    fw.context = nullptr;
}

bool DisableSwapInterval() {
    if (offscreen != nullptr) {
        // A framebuffer object is never synchronised to a display.
        return true;
    }
    const char* extensions = glXQueryExtensionsString(fw.display, fw.screen);
    // GLX_SGI_swap_control cannot set 0, so only these two can turn vsync off.
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        const auto swapInterval = reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (swapInterval != nullptr) {
            XErrorTrap trap(fw.display);
            swapInterval(fw.display, fw.glWindow, 0);
            return trap.Sync() == 0;
        }
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        const auto swapInterval = reinterpret_cast<PFNGLXSWAPINTERVALMESAPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (swapInterval != nullptr) {
            XErrorTrap trap(fw.display);
            const int result = swapInterval(0);
            return trap.Sync() == 0 && result == 0;
        }
    }
    return false;
}

void ForceAcceleratedRendering(bool forced) { acceleratedForced = forced; }

bool AcceleratedRenderingForced() {
    if (acceleratedForced) {
        return true;
    }
    const char* value = std::getenv("SKYLOOM_ASSUME_ACCELERATED");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

MonitorPowerControl& DisplayMonitorPower() {
    static XMonitorPowerControl control(fw.display);
    return control;
}

void OpenConfigurationDetached() {
    const std::string path = ExecutablePath();
    if (path.empty()) {
        return;
    }
    const char* const argv[] = {path.c_str(), "/c", nullptr};
    StartDetachedProcess(path.c_str(), argv);
}

int RunSaverFramework(int argc, const char* const argv[]) {
    const CommandLine line = ParseCommandLine(argc, argv);
    switch (line.mode) {
    case LaunchMode::Help:
        std::fputs(UsageText(), stdout);
        return 0;
    case LaunchMode::Version:
        std::printf("skyloom %d.%d\n", kVersionMajor, kVersionMinor);
        return 0;
    case LaunchMode::InstallXScreenSaver:
        return InstallIntoUsersXScreenSaver();
    case LaunchMode::Invalid:
        std::fprintf(stderr, "skyloom: %s\n%s", line.error.c_str(), UsageText());
        return 2;
    case LaunchMode::Configure:
        RegisterDialogClasses();
        return ScreenSaverConfigureDialog();
    case LaunchMode::Render:
        return RunRender(line.render);
    case LaunchMode::ChangePassword:
        // Linux has no screen-saver password of the saver's own to change.
        return 0;
    case LaunchMode::FullScreen:
    case LaunchMode::Preview:
    case LaunchMode::Root:
    case LaunchMode::Window:
        return RunSaver(line);
    }
    return 2;
}

}  // namespace skyloom
