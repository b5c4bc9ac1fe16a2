// Whole-frame cost of the saver offscreen at 1920x1080 with the software
// renderer taken as accelerated: the GL window's own procedure draws every
// frame (update, render, overlay), glFinish ends it. Default settings and
// the maximum scene (FactorNumStars, FactorNumSuns, FactorNumNebulae all 1).
// Prints a table; with a file argument also writes the figures as JSON.
//   frame_cost_bench [TIMED_FRAMES [WARMUP_FRAMES [JSON_FILE]]]
#include <GL/gl.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "objects/nebula.h"
#include "platform/offscreen_gl.h"
#include "platform/saver_host.h"
#include "saver/clock_source.h"
#include "saver/gl_window.h"
#include "scene/random.h"
#include "settings/settings.h"

namespace {

using namespace skyloom;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFps = 30;

OffscreenGlContext* gl = nullptr;

void FinishFrame() { glFinish(); }
void ReleaseContext() { gl->Destroy(); }
const OffscreenSurface kSurface{FinishFrame, ReleaseContext};

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

struct Figures {
    std::string scene;
    double medianMs = 0.0;
    double p95Ms = 0.0;
    double cpuSecondsPerFrame = 0.0;
    int frames = 0;
};

bool Measure(const char* scene, float factor, int timed, int warmup, Figures& out) {
    OffscreenGlContext context;
    if (!context.Create(kWidth, kHeight)) {
        std::fprintf(stderr, "frame_cost_bench: no offscreen GL context\n");
        return false;
    }
    gl = &context;
    RestoreDefaultSettings();
    if (factor > 0.0f) {
        FactorNumStars.Set(factor);
        FactorNumSuns.Set(factor);
        FactorNumNebulae.Set(factor);
    }
    SimulatedClockSource clock(static_cast<int64_t>(kFps) * 1000);
    SetClockSource(clock);
    SeedRandom(20261207);
    ForceAcceleratedRendering(true);
    InstallOffscreenSurface(&kSurface);
    GlWindowProc(WindowEvent{WindowMessage::Create});
    WindowEvent size{WindowMessage::Size};
    size.width = kWidth;
    size.height = kHeight;
    GlWindowProc(size);

    std::vector<double> times;
    times.reserve(timed);
    double cpuStart = 0.0;
    for (int k = 0; k < warmup + timed; ++k) {
        if (k == warmup) {
            cpuStart = CpuSeconds();
        }
        clock.AdvanceTicks(1000);
        const auto start = std::chrono::steady_clock::now();
        GlWindowProc(WindowEvent{WindowMessage::Paint});
        if (k >= warmup) {
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    const double cpu = CpuSeconds() - cpuStart;
    GlWindowProc(WindowEvent{WindowMessage::Destroy});
    InstallOffscreenSurface(nullptr);
    UseRealClock();

    std::sort(times.begin(), times.end());
    out.scene = scene;
    out.frames = timed;
    out.medianMs = times[times.size() / 2];
    out.p95Ms = times[std::min(times.size() - 1, times.size() * 95 / 100)];
    out.cpuSecondsPerFrame = cpu / timed;
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int timed = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    const int warmup = argc > 2 ? std::max(0, std::atoi(argv[2])) : 60;
    const char* json = argc > 3 ? argv[3] : nullptr;

    std::vector<Figures> results(2);
    if (!Measure("default", 0.0f, timed, warmup, results[0]) || !Measure("maximum", 1.0f, timed, warmup, results[1])) {
        return 1;
    }
    std::printf("frame cost, %dx%d offscreen, taken as accelerated, %d frames after %d warm-up\n", kWidth, kHeight,
                timed, warmup);
    std::printf("%-8s %12s %12s %16s\n", "scene", "median ms", "p95 ms", "CPU s/frame");
    for (const Figures& f : results) {
        std::printf("%-8s %12.2f %12.2f %16.4f\n", f.scene.c_str(), f.medianMs, f.p95Ms, f.cpuSecondsPerFrame);
    }
    if (json != nullptr) {
        FILE* file = std::fopen(json, "w");
        if (file == nullptr) {
            std::perror(json);
            return 1;
        }
        std::fprintf(file, "{\"frame_cost\": {\"width\": %d, \"height\": %d, \"frames\": %d, \"warmup\": %d, \"scenes\": [",
                     kWidth, kHeight, timed, warmup);
        for (size_t i = 0; i < results.size(); ++i) {
            const Figures& f = results[i];
            std::fprintf(file, "%s{\"scene\": \"%s\", \"median_ms\": %.3f, \"p95_ms\": %.3f, \"cpu_s_per_frame\": %.5f}",
                         i > 0 ? ", " : "", f.scene.c_str(), f.medianMs, f.p95Ms, f.cpuSecondsPerFrame);
        }
        std::fprintf(file, "]}}\n");
        if (std::fclose(file) != 0) {
            std::perror(json);
            return 1;
        }
    }
    return 0;
}
