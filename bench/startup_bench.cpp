// Start-up on an Xvfb of its own (1920x1080x24, software GL): from the
// start of the process (fork and exec) until its first frame reaches the
// screen. The first frame is seen from outside, as the first image the
// software GL swap uploads to the server (RECORD extension); nothing the
// saver draws before it uploads an image.
//
// glxgears first, in a window of -window's size (1280x720): a bare GLX
// program, so what the saver's figures hold beyond it is the saver's own.
// Then "skyloom -window", default scene, with the software renderer taken
// as such and as accelerated (which adds the desktop picture and its fade),
// and "skyloom /s" taken as accelerated: full screen, with the fade.
#include <csignal>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "bench/support/swap_watch.h"
#include "bench/support/watched_program.h"
#include "tests/support/saver_process.h"
#include "tests/support/xvfb_server.h"

namespace {

using skyloom::bench::BenchOptions;
using skyloom::bench::FigureTable;
using skyloom::bench::EndsOnSigterm;
using skyloom::bench::FindOnPath;
using skyloom::bench::StartAndAwaitFirstFrame;
using skyloom::bench::SwapWatch;
using skyloom::bench::WatchedProgram;
using skyloom::testing::SaverProcess;
using skyloom::testing::XvfbServer;

// Milliseconds from the start until the first swap, one per run; none when
// a run did not get that far.
std::vector<double> StartUpTimes(SwapWatch& watch, const std::string& display, int runs,
                                 const WatchedProgram& program) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        SaverProcess process;
        if (!StartAndAwaitFirstFrame(watch, process, display, program)) {
            return {};
        }
        times.push_back(static_cast<double>(watch.FirstSwapMs() - process.StartedMs()));
        if (!EndsOnSigterm(process, program)) {
            return {};
        }
    }
    return times;
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!skyloom::bench::ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const int runs = options.Runs(10, 1);
    const std::string glxgears = FindOnPath("glxgears");
    if (glxgears.empty()) {
        std::fprintf(stderr, "glxgears, the bare GLX program, is not on PATH: install mesa-utils (scripts/install-deps)\n");
        return 1;
    }
    XvfbServer xvfb;
    if (!xvfb.Start(24, 1920, 1080)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    SwapWatch watch;
    if (!watch.Start(xvfb.DisplayName())) {
        return 1;
    }
    const std::map<std::string, std::string> accelerated{{"SKYLOOM_ASSUME_ACCELERATED", "1"}};
    // glxgears has no SIGTERM handler.
    const std::vector<std::pair<std::string, WatchedProgram>> subjects{
        {"glxgears -geometry 1280x720 (Mesa's own start)",
         {"glxgears", glxgears, {"-geometry", "1280x720"}, {{"vblank_mode", "0"}}, 128 + SIGTERM}},
        {"skyloom -window, software renderer as such", {"skyloom -window", "", {"-window"}, {}, 0}},
        {"skyloom -window, taken as accelerated (desktop fade)", {"skyloom -window", "", {"-window"}, accelerated, 0}},
        {"skyloom /s, taken as accelerated (desktop fade)", {"skyloom /s", "", {"/s"}, accelerated, 0}},
    };
    FigureTable table("start-up on Xvfb 1920x1080x24, exec to the first swapped frame");
    for (const auto& [label, program] : subjects) {
        table.Add(label, "ms", StartUpTimes(watch, xvfb.DisplayName(), runs, program));
    }
    return skyloom::bench::ReportFigures(table, options);
}
