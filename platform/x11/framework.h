#pragma once

// The X11 framework's state, shared by its parts: the saver window, the GL
// window and the event loop. One per process, as there is one saver window.

#include "platform/x11/frame_pacer.h"
#include "saver/window_message.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace skyloom::x11 {

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

extern Framework fw;

// Full screen and window mode: the saver's windows take keyboard and pointer.
bool TakesInput();

// The GL window fills the saver window and follows its size, except full
// screen where it may cover the primary monitor alone.
bool GlWindowFollowsHost();

// The names window managers and window lists show.
void SetWindowNames(Window window);

}  // namespace skyloom::x11
