// Frame cost of "skyloom /s" measured against a yardstick, so that figures
// from different machines compare: on an Xvfb of its own (1920x1080x24,
// Mesa's llvmpipe), one program at a time, glxgears full screen and then
// skyloom /s in three scenes:
//   default  default settings; on a software renderer that is its reduced
//            software-renderer mode
//   full     the full default scene (SKYLOOM_ASSUME_ACCELERATED=1)
//   maximum  that with FactorNumStars, FactorNumSuns, FactorNumNebulae all 1
// For each: the frames it swapped per second (counted from outside, see
// SwapWatch) and its CPU time (user and system, all its threads) per
// swapped frame over a window of wall time; for the scenes also that CPU
// time as a ratio to glxgears' in the same run. glxgears runs uncapped
// while skyloom keeps to the refresh rate the server reports, so the frame
// rates differ by design; the cost of a frame is what compares.
//
// The window opens after a settling time from the first swapped frame:
// glxgears 2 s; the scenes 12 s, as nebulae arrive over their first
// seconds; the maximum scene 30 s, as its cost keeps rising while its many
// nebulae fill in. Every run measures each program afresh, one after the
// other, so a change in the machine's load touches them alike.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "bench/support/swap_watch.h"
#include "bench/support/watched_program.h"
#include "tests/support/sanitizer_slack.h"
#include "tests/support/temp_config.h"
#include "tests/support/xvfb_server.h"

namespace {

using namespace skyloom::bench;
using skyloom::testing::XvfbServer;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// One value per run in each.
struct Figures {
    std::vector<double> fps, cpuMsPerFrame, ratioToGears;
};

// One program measured.
struct Subject {
    std::string label;
    WatchedProgram program;
    // What the settings file holds at its start; a skyloom scene's alone.
    std::string settings;
    double settleSeconds = 0.0;
    Figures figures;
};

// Each skyloom start reads the settings file of the isolated HOME, written
// anew so that no scene's settings carry over into the next.
bool PlantSettings(const std::string& text) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config == nullptr) {
        std::fprintf(stderr, "XDG_CONFIG_HOME is not set: run under tests/support/run-isolated\n");
        return false;
    }
    const std::string file = std::string(config) + "/Quillmere/Skyloom.conf";
    if (!skyloom::testing::WriteFileText(file, text)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return false;
    }
    return true;
}

std::vector<Subject> Subjects(const std::string& glxgears, bool quick) {
    const std::map<std::string, std::string> accelerated{{"SKYLOOM_ASSUME_ACCELERATED", "1"}};
    const std::vector<std::string> saver{"/s"};
    // glxgears has no SIGTERM handler; vblank_mode=0 keeps it from waiting
    // for a refresh where a driver would.
    std::vector<Subject> subjects{
        {"glxgears", {"glxgears", glxgears, {"-fullscreen"}, {{"vblank_mode", "0"}}, 128 + SIGTERM}, "", 2.0, {}},
        {"default (software mode)", {"skyloom /s", "", saver, {}, 0}, "", 12.0, {}},
        {"full default scene", {"skyloom /s, taken as accelerated", "", saver, accelerated, 0}, "", 12.0, {}},
        {"maximum scene",
         {"skyloom /s, maximum scene", "", saver, accelerated, 0},
         "FactorNumStars=1\nFactorNumSuns=1\nFactorNumNebulae=1\n",
         30.0,
         {}},
    };
    if (quick) {
        for (Subject& subject : subjects) {
            subject.settleSeconds = 0.5;
        }
    }
    return subjects;
}

bool MeasureRun(SwapWatch& watch, const std::string& display, double windowSeconds, std::vector<Subject>& subjects) {
    double gearsCpuMs = 0.0;
    for (Subject& subject : subjects) {
        const bool isSaver = subject.program.path.empty();
        WatchedSpan span;
        if ((isSaver && !PlantSettings(subject.settings)) ||
            !WatchProgram(watch, display, -1, subject.program, {subject.settleSeconds, windowSeconds}, span)) {
            return false;
        }
        const double frames = static_cast<double>(span.frames);
        Figures& figures = subject.figures;
        figures.fps.push_back(frames / span.wallSeconds);
        figures.cpuMsPerFrame.push_back(1e3 * span.programCpuSeconds / frames);
        if (!isSaver) {
            gearsCpuMs = figures.cpuMsPerFrame.back();
        } else if (gearsCpuMs > 0.0) {
            figures.ratioToGears.push_back(figures.cpuMsPerFrame.back() / gearsCpuMs);
        }
    }
    return true;
}

void AddFigures(FigureTable& table, const Subject& subject) {
    table.Add(subject.label + ": frames swapped per second", "fps", subject.figures.fps);
    table.Add(subject.label + ": CPU per frame", "ms", subject.figures.cpuMsPerFrame);
    if (subject.program.path.empty()) {
        table.Add(subject.label + ": CPU per frame / glxgears'", "ratio", subject.figures.ratioToGears);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const std::string glxgears = FindOnPath("glxgears");
    if (glxgears.empty()) {
        std::fprintf(stderr, "glxgears, the yardstick, is not on PATH: install mesa-utils (scripts/install-deps)\n");
        return 1;
    }
    const int runs = options.Runs(2, 1);
    // A sanitized build draws a frame in about two seconds at this size, so
    // the quick run's window grows with it to hold some.
    const double windowSeconds = options.quick ? 2.0 * skyloom::testing::kSanitizerSlowdown : 15.0;
    XvfbServer xvfb;
    if (!xvfb.Start(24, kWidth, kHeight)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    SwapWatch watch;
    if (!watch.Start(xvfb.DisplayName())) {
        return 1;
    }
    std::vector<Subject> subjects = Subjects(glxgears, options.quick);
    for (int run = 0; run < runs; ++run) {
        if (!MeasureRun(watch, xvfb.DisplayName(), windowSeconds, subjects)) {
            return 1;
        }
    }
    char title[240];
    std::snprintf(title, sizeof title,
                  "Frame cost under skyloom /s on Xvfb %dx%dx24 (llvmpipe) beside glxgears -fullscreen, "
                  "CPU of the process per swapped frame over %.0f s; ratio: to glxgears' CPU per frame",
                  kWidth, kHeight, windowSeconds);
    FigureTable table(title);
    for (const Subject& subject : subjects) {
        AddFigures(table, subject);
    }
    return ReportFigures(table, options);
}
