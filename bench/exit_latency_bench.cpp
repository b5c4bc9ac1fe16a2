// Figures for how fast the saver comes and goes, on an Xvfb of its own:
//   - start of "skyloom /s" until it holds the keyboard (window, GL context
//     and scene set up),
//   - a key press (XTest) until no window of the saver shows any more, and
//     until the process has exited,
//   - SIGTERM until the process has exited.
// Each figure is measured once per run, a fresh saver each time.
#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "tests/support/saver_process.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using skyloom::bench::BenchOptions;
using skyloom::bench::FigureTable;
using skyloom::testing::MonotonicMs;
using skyloom::testing::SaverProcess;
using skyloom::testing::XvfbServer;

bool KeyboardGrabbed(Display* display) {
    const Window root = DefaultRootWindow(display);
    const int result = XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result == GrabSuccess) {
        XUngrabKeyboard(display, CurrentTime);
    }
    XSync(display, False);
    return result == AlreadyGrabbed;
}

// Milliseconds until the saver holds the keyboard; -1 when it never does.
int64_t StartAndWait(SaverProcess& saver, Display* display, const std::string& name) {
    if (!saver.Start({"/s"}, name)) {
        return -1;
    }
    while (!KeyboardGrabbed(display)) {
        if (!saver.Running() || MonotonicMs() - saver.StartedMs() > 20'000) {
            return -1;
        }
        usleep(2'000);
    }
    return MonotonicMs() - saver.StartedMs();
}

// A window may go between listing it and asking about it.
int IgnoreVanishedWindow(Display*, XErrorEvent* error) {
    if (error->error_code != BadWindow) {
        std::fprintf(stderr, "X error %d\n", error->error_code);
    }
    return 0;
}

bool SaverWindowShows(Display* display) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
        return false;
    }
    bool shows = false;
    for (unsigned int i = 0; i < count && !shows; ++i) {
        XWindowAttributes attributes{};
        char* name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XFetchName(display, children[i], &name) && name != nullptr) {
            shows = std::string(name) == "Skyloom";
        }
        XFree(name);
    }
    XFree(children);
    return shows;
}

// Milliseconds until the saver's window is off the screen; -1 when it is
// still there after 5 s.
int64_t GoneTime(Display* display, int64_t from) {
    while (SaverWindowShows(display)) {
        if (MonotonicMs() - from > 5000) {
            return -1;
        }
        usleep(1'000);
    }
    return MonotonicMs() - from;
}

// Milliseconds until it exited with 0; -1 when it did not within 5 s.
int64_t ExitTime(SaverProcess& saver, int64_t from) {
    const std::optional<int> code = saver.WaitForExit(5000);
    if (code != 0) {
        return -1;
    }
    return MonotonicMs() - from;
}

// Runs that failed leave the whole figure unmeasured.
std::vector<double> AllOrNone(const std::vector<int64_t>& values) {
    std::vector<double> figures;
    for (int64_t value : values) {
        if (value < 0) {
            return {};
        }
        figures.push_back(static_cast<double>(value));
    }
    return figures;
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!skyloom::bench::ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const int runs = options.Runs(8, 1);
    XvfbServer xvfb;
    if (!xvfb.Start(24, 1920, 1080)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    Display* display = XOpenDisplay(xvfb.DisplayName().c_str());
    if (display == nullptr) {
        std::fprintf(stderr, "cannot connect to %s\n", xvfb.DisplayName().c_str());
        return 1;
    }

    XSetErrorHandler(IgnoreVanishedWindow);
    std::vector<int64_t> startTimes;
    std::vector<int64_t> goneTimes;
    std::vector<int64_t> keyTimes;
    std::vector<int64_t> signalTimes;
    for (int run = 0; run < runs; ++run) {
        SaverProcess saver;
        startTimes.push_back(StartAndWait(saver, display, xvfb.DisplayName()));
        usleep(200'000);
        const KeyCode key = XKeysymToKeycode(display, XK_x);
        const int64_t pressed = MonotonicMs();
        XTestFakeKeyEvent(display, key, True, CurrentTime);
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        XSync(display, False);
        goneTimes.push_back(GoneTime(display, pressed));
        keyTimes.push_back(ExitTime(saver, pressed));
    }
    for (int run = 0; run < runs; ++run) {
        SaverProcess saver;
        StartAndWait(saver, display, xvfb.DisplayName());
        usleep(200'000);
        const int64_t sent = MonotonicMs();
        saver.Signal(SIGTERM);
        signalTimes.push_back(ExitTime(saver, sent));
    }
    XCloseDisplay(display);

    FigureTable table("skyloom /s on Xvfb 1920x1080x24 (software GL), a fresh saver each run");
    table.Add("start until input is grabbed", "ms", AllOrNone(startTimes));
    table.Add("key press until the window is gone", "ms", AllOrNone(goneTimes));
    table.Add("key press until exit", "ms", AllOrNone(keyTimes));
    table.Add("SIGTERM until exit", "ms", AllOrNone(signalTimes));
    return skyloom::bench::ReportFigures(table, options);
}
