// Whole-frame cost of the saver offscreen at 1920x1080 with the software
// renderer taken as accelerated, and the same split into the update and the
// render pass (ended by glFinish): the GL window's own procedure draws
// every frame, its pass timing says where the time went. Default settings
// and the maximum scene (FactorNumStars, FactorNumSuns, FactorNumNebulae
// all 1). Each run draws every scene afresh; a figure is the median of its
// runs, each run's figure taken over its timed frames.
#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "bench/support/offscreen_saver.h"
#include "saver/frame_pass_timing.h"
#include "settings/settings.h"

namespace {

using namespace skyloom;
using namespace skyloom::bench;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kFps = 30.0;
constexpr uint32_t kSeed = 20261207;

double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double Mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values) {
        sum += v;
    }
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

// One scene's figures, one value per run.
struct SceneFigures {
    std::string scene;
    float factor = 0.0f;
    std::vector<double> frameMedianMs, frameP95Ms, frameCpuS;
    std::vector<double> updateMedianMs, updateP95Ms, updateCpuMs;
    std::vector<double> renderMedianMs, renderP95Ms, renderCpuMs;
};

bool MeasureRun(SceneFigures& f, int timed, int warmup) {
    RestoreDefaultSettings();
    if (f.factor > 0.0f) {
        FactorNumStars.Set(f.factor);
        FactorNumSuns.Set(f.factor);
        FactorNumNebulae.Set(f.factor);
    }
    OffscreenSaver saver;
    if (!saver.Open(kWidth, kHeight, true, kFps, kSeed)) {
        return false;
    }
    std::vector<double> frameMs, updateMs, renderMs, updateCpu, renderCpu;
    double cpuStart = 0.0;
    for (int k = 0; k < warmup + timed; ++k) {
        if (k == warmup) {
            cpuStart = ClockMs(CLOCK_PROCESS_CPUTIME_ID);
        }
        const double start = ClockMs(CLOCK_MONOTONIC);
        saver.Paint();
        if (k < warmup) {
            continue;
        }
        frameMs.push_back(ClockMs(CLOCK_MONOTONIC) - start);
        const FramePassTimes& passes = LastFramePassTimes();
        updateMs.push_back(passes.update.wallMs);
        renderMs.push_back(passes.render.wallMs);
        updateCpu.push_back(passes.update.cpuMs);
        renderCpu.push_back(passes.render.cpuMs);
    }
    f.frameCpuS.push_back((ClockMs(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / 1e3 / timed);
    saver.Close();
    f.frameMedianMs.push_back(Quantile(frameMs, 0.5));
    f.frameP95Ms.push_back(Quantile(frameMs, 0.95));
    f.updateMedianMs.push_back(Quantile(updateMs, 0.5));
    f.updateP95Ms.push_back(Quantile(updateMs, 0.95));
    f.updateCpuMs.push_back(Mean(updateCpu));
    f.renderMedianMs.push_back(Quantile(renderMs, 0.5));
    f.renderP95Ms.push_back(Quantile(renderMs, 0.95));
    f.renderCpuMs.push_back(Mean(renderCpu));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const int runs = options.Runs(3, 1);
    const int timed = options.quick ? 5 : 600;
    const int warmup = options.quick ? 2 : 60;

    std::vector<SceneFigures> scenes(2);
    scenes[0].scene = "default";
    scenes[1].scene = "maximum";
    scenes[1].factor = 1.0f;
    SetFramePassTiming(true);
    // Scene after scene in every run, so a change in the machine's load
    // touches both alike.
    for (int run = 0; run < runs; ++run) {
        for (SceneFigures& f : scenes) {
            if (!MeasureRun(f, timed, warmup)) {
                return 1;
            }
        }
    }
    SetFramePassTiming(false);

    char title[200];
    std::snprintf(title, sizeof title,
                  "frame cost, %dx%d offscreen, taken as accelerated, %d frames after %d warm-up per run", kWidth,
                  kHeight, timed, warmup);
    FigureTable table(title);
    for (const SceneFigures& f : scenes) {
        const std::string s = f.scene + ": ";
        table.Add(s + "frame, median", "ms", f.frameMedianMs);
        table.Add(s + "frame, p95", "ms", f.frameP95Ms);
        table.Add(s + "frame, CPU per frame", "s", f.frameCpuS);
        table.Add(s + "update pass, median", "ms", f.updateMedianMs);
        table.Add(s + "update pass, p95", "ms", f.updateP95Ms);
        table.Add(s + "update pass, CPU per frame", "ms", f.updateCpuMs);
        table.Add(s + "render pass + glFinish, median", "ms", f.renderMedianMs);
        table.Add(s + "render pass + glFinish, p95", "ms", f.renderP95Ms);
        table.Add(s + "render pass + glFinish, CPU per frame", "ms", f.renderCpuMs);
    }
    return ReportFigures(table, options);
}
