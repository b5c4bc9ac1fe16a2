// Peak resident memory (VmHWM) of the program drawing the flight at
// 1920x1080: "skyloom --render" offscreen for a number of frames, taken as
// accelerated, at the default settings and at the maximum scene
// (FactorNumStars, FactorNumSuns, FactorNumNebulae all 1), no frame written.
// Each run is a fresh process; its peak comes from the kernel when it ends
// (ru_maxrss, the same high-water mark as VmHWM).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "tests/support/saver_process.h"
#include "tests/support/temp_config.h"

extern char** environ;

namespace {

using skyloom::bench::BenchOptions;
using skyloom::bench::FigureTable;

// Peak resident memory in MiB of one render; negative when it failed.
double RenderPeakMiB(int frames) {
    const std::string program = skyloom::testing::SkyloomExecutable();
    const std::string folder = std::string(std::getenv("SKYLOOM_TEST_SCRATCH")) + "/render";
    const std::string frameText = std::to_string(frames);
    // A step past the last frame: nothing is written, the figure is the
    // drawing's alone.
    const std::string every = std::to_string(frames + 1);
    std::vector<const char*> argv{program.c_str(), "--render",  folder.c_str(), "--size", "1920x1080",
                                  "--frames",      frameText.c_str(), "--every", every.c_str(), "--assume-accelerated",
                                  nullptr};
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char* const*>(argv.data()), environ);
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(spawned));
        return -1.0;
    }
    int status = 0;
    rusage usage{};
    pid_t done = 0;
    do {
        done = wait4(pid, &status, 0, &usage);
    } while (done < 0 && errno == EINTR);
    if (done != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s --render failed\n", program.c_str());
        return -1.0;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The peaks of the runs; none when one failed.
std::vector<double> Peaks(const char* settings, int runs, int frames) {
    const std::string path = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Quillmere/Skyloom.conf";
    if (!skyloom::testing::WriteFileText(path, settings)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return {};
    }
    std::vector<double> peaks;
    for (int run = 0; run < runs; ++run) {
        const double peak = RenderPeakMiB(frames);
        if (peak < 0.0) {
            return {};
        }
        peaks.push_back(peak);
    }
    return peaks;
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!skyloom::bench::ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    if (std::getenv("SKYLOOM_TEST_SCRATCH") == nullptr || std::getenv("XDG_CONFIG_HOME") == nullptr) {
        std::fprintf(stderr, "run through tests/support/run-isolated: the settings file is rewritten\n");
        return 2;
    }
    const int runs = options.Runs(3, 1);
    const int frames = options.quick ? 10 : 300;
    char title[160];
    std::snprintf(title, sizeof title,
                  "peak resident memory (VmHWM) of skyloom --render 1920x1080, %d frames at 30 fps, taken as "
                  "accelerated",
                  frames);
    FigureTable table(title);
    table.Add("default settings", "MiB", Peaks("", runs, frames));
    table.Add("maximum scene", "MiB", Peaks("FactorNumStars=1\nFactorNumSuns=1\nFactorNumNebulae=1\n", runs, frames));
    return skyloom::bench::ReportFigures(table, options);
}
