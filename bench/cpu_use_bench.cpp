// CPU use of "skyloom /s" on an Xvfb of its own (1920x1080x24, software GL),
// default settings, frames capped at the refresh rate the server reports:
// the saver's CPU time over a window of wall time after its start-up, as a
// share of one core, with the frames it swapped in that window (seen from
// outside, see SwapWatch) and the X server's share beside it.
//
// What rendering itself needs: the same number of frames, at the same frame
// rate and size, drawn offscreen in this process by the saver's own GL
// window procedure (same software renderer, not taken as accelerated, as
// under Xvfb), its CPU time taken over the same wall window. The rest of
// the saver's share is what putting the frames on the screen and the event
// loop cost.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "bench/support/offscreen_saver.h"
#include "bench/support/swap_watch.h"
#include "bench/support/watched_program.h"
#include "settings/settings.h"
#include "tests/support/sanitizer_slack.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace skyloom;
using namespace skyloom::bench;
using skyloom::testing::XvfbServer;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The Xvfb this process started; -1 when there is none.
pid_t XvfbChild() {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return -1;
    }
    pid_t found = -1;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) {
            continue;
        }
        std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        if (!std::getline(file, text)) {
            continue;
        }
        const size_t open = text.find('(');
        const size_t close = text.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        std::istringstream fields(text.substr(close + 2));
        std::string state;
        pid_t parent = 0;
        fields >> state >> parent;
        if (parent == getpid() && text.substr(open + 1, close - open - 1) == "Xvfb") {
            found = pid;
            break;
        }
    }
    closedir(proc);
    return found;
}

double ThisProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU seconds to draw the window's frames offscreen at its frame rate,
// after as many untimed frames as the saver drew before the window.
double OffscreenCpuSeconds(const WatchedSpan& window, double settleSeconds) {
    RestoreDefaultSettings();
    const double fps = static_cast<double>(window.frames) / window.wallSeconds;
    OffscreenSaver saver;
    if (!saver.Open(kWidth, kHeight, false, fps, 20261207)) {
        return -1.0;
    }
    for (int64_t k = 0; k < static_cast<int64_t>(settleSeconds * fps); ++k) {
        saver.Paint();
    }
    const double start = ThisProcessCpuSeconds();
    for (int64_t k = 0; k < window.frames; ++k) {
        saver.Paint();
    }
    const double used = ThisProcessCpuSeconds() - start;
    saver.Close();
    return used;
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const int runs = options.Runs(3, 1);
    // A sanitized build draws a frame in about two seconds at this size, so
    // the quick run's window grows with it to hold some.
    const double windowSeconds = options.quick ? 2.0 * testing::kSanitizerSlowdown : 20.0;
    const double settleSeconds = options.quick ? 0.5 : 2.0;
    XvfbServer xvfb;
    if (!xvfb.Start(24, kWidth, kHeight)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    const pid_t server = XvfbChild();
    SwapWatch watch;
    if (server < 0 || !watch.Start(xvfb.DisplayName())) {
        std::fprintf(stderr, "cannot watch Xvfb\n");
        return 1;
    }
    std::vector<double> saverShare, frameRate, renderShare, restShare, serverShare;
    for (int run = 0; run < runs; ++run) {
        WatchedSpan window;
        if (!WatchProgram(watch, xvfb.DisplayName(), server, {"skyloom /s", "", {"/s"}, {}, 0},
                          {settleSeconds, windowSeconds}, window)) {
            return 1;
        }
        const double rendering = OffscreenCpuSeconds(window, settleSeconds);
        if (rendering < 0.0) {
            return 1;
        }
        saverShare.push_back(100.0 * window.programCpuSeconds / window.wallSeconds);
        frameRate.push_back(static_cast<double>(window.frames) / window.wallSeconds);
        renderShare.push_back(100.0 * rendering / window.wallSeconds);
        restShare.push_back(saverShare.back() - renderShare.back());
        serverShare.push_back(100.0 * window.serverCpuSeconds / window.wallSeconds);
    }
    char title[200];
    std::snprintf(title, sizeof title,
                  "CPU use of skyloom /s on Xvfb %dx%dx24, default settings, %.0f s after %.0f s of settling, "
                  "as %% of one core",
                  kWidth, kHeight, windowSeconds, settleSeconds);
    FigureTable table(title);
    table.Add("skyloom /s", "% core", saverShare);
    table.Add("frames swapped per second", "fps", frameRate);
    table.Add("the same frames drawn offscreen (rendering)", "% core", renderShare);
    table.Add("the rest (swap to X, event loop, pacing)", "% core", restShare);
    table.Add("Xvfb beside it (showing the frames)", "% core", serverShare);
    return ReportFigures(table, options);
}
