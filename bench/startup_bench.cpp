// Start-up of "skyloom -window" on an Xvfb of its own, default scene: from
// the start of the process (fork and exec) until its first frame reaches
// the screen. The first frame is seen from outside, as the first image the
// software GL swap uploads to the server (RECORD extension); nothing the
// saver draws before it uploads an image. Once with the software renderer
// taken as such, once taken as accelerated, which adds the desktop picture
// and its fade.
#include <csignal>
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "bench/support/swap_watch.h"
#include "tests/support/saver_process.h"
#include "tests/support/xvfb_server.h"

namespace {

using skyloom::bench::BenchOptions;
using skyloom::bench::FigureTable;
using skyloom::bench::SwapWatch;
using skyloom::testing::MonotonicMs;
using skyloom::testing::SaverProcess;
using skyloom::testing::XvfbServer;

constexpr int kTimeoutMs = 30'000;

// Milliseconds from the start until the first swap, one per run; none when
// a run did not get that far.
std::vector<double> StartUpTimes(SwapWatch& watch, const std::string& display, int runs,
                                 const std::map<std::string, std::string>& env) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        watch.Reset();
        SaverProcess saver;
        if (!saver.Start({"-window"}, display, env)) {
            return {};
        }
        while (watch.FirstSwapMs() < 0 && saver.Running() && MonotonicMs() - saver.StartedMs() < kTimeoutMs) {
            usleep(1'000);
        }
        if (watch.FirstSwapMs() < 0) {
            std::fprintf(stderr, "no frame from skyloom -window:\n%s\n", saver.Output().c_str());
            return {};
        }
        times.push_back(static_cast<double>(watch.FirstSwapMs() - saver.StartedMs()));
        saver.Signal(SIGTERM);
        if (saver.WaitForExit(10'000) != 0) {
            std::fprintf(stderr, "skyloom -window did not end on SIGTERM:\n%s\n", saver.Output().c_str());
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
    XvfbServer xvfb;
    if (!xvfb.Start(24, 1920, 1080)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    SwapWatch watch;
    if (!watch.Start(xvfb.DisplayName())) {
        return 1;
    }
    FigureTable table("start-up of skyloom -window (1280x720) on Xvfb 1920x1080x24, exec to the first swapped frame");
    table.Add("software renderer as such", "ms", StartUpTimes(watch, xvfb.DisplayName(), runs, {}));
    table.Add("taken as accelerated (desktop fade)", "ms",
              StartUpTimes(watch, xvfb.DisplayName(), runs, {{"SKYLOOM_ASSUME_ACCELERATED", "1"}}));
    return skyloom::bench::ReportFigures(table, options);
}
