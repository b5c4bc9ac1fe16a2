// Figures for how fast the saver comes and goes, on an Xvfb of its own:
//   - start of "skyloom /s" until it holds the keyboard (window, GL context
//     and scene set up),
//   - a key press (XTest) until the process has exited,
//   - SIGTERM until the process has exited,
//   - CPU time a running full-screen saver uses per second of an empty scene
//     (frames capped at the refresh rate).
#include "tests/support/saver_process.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using skyloom::testing::MonotonicMs;
using skyloom::testing::SaverProcess;
using skyloom::testing::XvfbServer;

constexpr int kRuns = 8;

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

// Milliseconds until it exited with 0; -1 when it did not within 5 s.
int64_t ExitTime(SaverProcess& saver, int64_t from) {
    const std::optional<int> code = saver.WaitForExit(5000);
    if (code != 0) {
        return -1;
    }
    return MonotonicMs() - from;
}

void Report(const char* what, std::vector<int64_t> values) {
    if (values.empty() || std::find(values.begin(), values.end(), -1) != values.end()) {
        std::printf("%-34s failed\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-34s median %4lld ms   max %4lld ms   (%zu runs)\n", what,
                static_cast<long long>(values[values.size() / 2]), static_cast<long long>(values.back()),
                values.size());
}

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int main() {
    XvfbServer xvfb;
    if (!xvfb.Start(24, 1024, 768)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    Display* display = XOpenDisplay(xvfb.DisplayName().c_str());
    if (display == nullptr) {
        std::fprintf(stderr, "cannot connect to %s\n", xvfb.DisplayName().c_str());
        return 1;
    }
    std::printf("skyloom /s on Xvfb 1024x768x24 (software GL)\n");

    std::vector<int64_t> startTimes;
    std::vector<int64_t> keyTimes;
    std::vector<int64_t> signalTimes;
    for (int run = 0; run < kRuns; ++run) {
        SaverProcess saver;
        startTimes.push_back(StartAndWait(saver, display, xvfb.DisplayName()));
        usleep(200'000);
        const KeyCode key = XKeysymToKeycode(display, XK_x);
        const int64_t pressed = MonotonicMs();
        XTestFakeKeyEvent(display, key, True, CurrentTime);
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        XSync(display, False);
        keyTimes.push_back(ExitTime(saver, pressed));
    }
    for (int run = 0; run < kRuns; ++run) {
        SaverProcess saver;
        StartAndWait(saver, display, xvfb.DisplayName());
        usleep(200'000);
        const int64_t sent = MonotonicMs();
        saver.Signal(SIGTERM);
        signalTimes.push_back(ExitTime(saver, sent));
    }
    Report("start until input is grabbed", startTimes);
    Report("key press until exit", keyTimes);
    Report("SIGTERM until exit", signalTimes);

    // CPU while running: measured over the process's whole life, minus a
    // start-up measured alone.
    const double beforeShort = ChildCpuSeconds();
    {
        SaverProcess saver;
        StartAndWait(saver, display, xvfb.DisplayName());
        saver.Signal(SIGTERM);
        saver.WaitForExit(5000);
    }
    const double startupCpu = ChildCpuSeconds() - beforeShort;
    const double beforeLong = ChildCpuSeconds();
    {
        SaverProcess saver;
        StartAndWait(saver, display, xvfb.DisplayName());
        sleep(5);
        saver.Signal(SIGTERM);
        saver.WaitForExit(5000);
    }
    const double runningCpu = ChildCpuSeconds() - beforeLong - startupCpu;
    std::printf("%-34s %.0f %% of one core (empty scene)\n", "CPU while running", runningCpu / 5.0 * 100.0);

    XCloseDisplay(display);
    return 0;
}
