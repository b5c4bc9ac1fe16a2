// A stand-in music player with one top-level window, for the music tests.
// Usage: skyloom_test_window_player FILE
// Writes its process id to FILE.pid and its window id to FILE.window once the
// window is mapped, and FILE.closed when the window manager protocol asks it
// to close, which is the only way it ends: it ignores SIGTERM. Before that,
// FILE.saver-at-close says whether a window named "Skyloom" was showing
// then: 1 none, 2 one was.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

bool WriteRecord(const std::string& path, unsigned long value) {
    const std::string partial = path + ".partial";
    FILE* out = std::fopen(partial.c_str(), "w");
    if (out == nullptr) {
        return false;
    }
    std::fprintf(out, "%lu\n", value);
    const bool written = std::fclose(out) == 0;
    return written && std::rename(partial.c_str(), path.c_str()) == 0;
}

// Whether a top-level window named "Skyloom" is viewable.
bool SaverShowing(Display* display) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    bool showing = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return false;
    }
    for (unsigned int i = 0; i < count; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes{};
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            showing = showing || (std::string(name) == "Skyloom" &&
                                  XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                                  attributes.map_state == IsViewable);
            XFree(name);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return showing;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const std::string file = argv[1];
    std::signal(SIGTERM, SIG_IGN);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: no display\n", argv[0]);
        return 1;
    }
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 48, 0, 0, 0);
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    if (!WriteRecord(file + ".pid", pid)) {
        return 1;
    }
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) {
            WriteRecord(file + ".window", window);
        } else if (event.type == ClientMessage &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            WriteRecord(file + ".saver-at-close", SaverShowing(display) ? 2 : 1);
            WriteRecord(file + ".closed", 1);
            XCloseDisplay(display);
            return 0;
        }
    }
}
