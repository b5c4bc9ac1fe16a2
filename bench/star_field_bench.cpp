// Frame time of the star field at 1920x1080 on the offscreen context (the
// software renderer where there is no GPU): the default star count
// (FactorNumStars 0.125, 2500 stars) and the largest (1.0, 20000 stars).
// Each frame is drawn as the saver draws it: clear, camera, render pass,
// the star batch, the overlay pass with its texts; glFinish ends it so
// the time is the renderer's, not just the queueing. The spread of a
// figure is over its timed frames.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/support/bench_options.h"
#include "bench/support/figures.h"
#include "platform/offscreen/offscreen_gl.h"
#include "scene/clock_source.h"
#include "saver/font.h"
#include "scene/frame_clock.h"
#include "saver/overlay_pass.h"
#include "scene/render_size.h"
#include "scene/camera3d.h"
#include "scene/random.h"
#include "scene/scene_node.h"
#include "scene/star_field.h"
#include "settings/settings.h"

namespace {

using namespace skyloom;
using namespace skyloom::bench;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kStep = 1.0 / 30.0;
// Long enough for every star to have faded in and the field to be spread
// over all distances; the frames in between are not drawn.
constexpr int kSettleFrames = 30 * 60;

void Advance(SimulatedClockSource& clock) {
    clock.AdvanceSeconds(kStep);
    TickFrameClock();
    UpdateCamera();
    SpawnStars();
    UpdateSceneNodes();
}

void Render() {
    glClear(GL_COLOR_BUFFER_BIT);
    ApplyCamera();
    glDisable(GL_DEPTH_TEST);
    RenderSceneNodes();
    DrawStarBatch();
    DrawOverlayPass();
    glFinish();
}

void Measure(FigureTable& table, float factor, int settleFrames, int timedFrames) {
    SimulatedClockSource clock;
    SetClockSource(clock);
    StartFrameClock();
    SeedRandom(20240611);
    FactorNumStars.Set(factor);
    for (int k = 0; k < settleFrames; ++k) {
        Advance(clock);
    }
    Render();  // first draw: driver warm-up
    std::vector<double> times;
    for (int k = 0; k < timedFrames; ++k) {
        Advance(clock);
        const Clock::time_point start = Clock::now();
        Render();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    char name[80];
    std::snprintf(name, sizeof name, "FactorNumStars %.3f (%d stars), frame", factor, LiveStarCount());
    table.Add(name, "ms", times);
    DeleteAllSceneNodes();
    UseRealClock();
}

}  // namespace

int main(int argc, char* argv[]) {
    BenchOptions options;
    if (!ParseBenchOptions(argc, argv, options)) {
        return 2;
    }
    const int timedFrames = options.Runs(120, 3);
    const int settleFrames = options.quick ? 30 : kSettleFrames;
    OffscreenGlContext gl;
    if (!gl.Create(kWidth, kHeight)) {
        std::fprintf(stderr, "star_field_bench: no offscreen GL context\n");
        return 1;
    }
    char title[200];
    std::snprintf(title, sizeof title, "star field at %dx%d on %s, after %d frames of flight", kWidth, kHeight,
                  reinterpret_cast<const char*>(glGetString(GL_RENDERER)), settleFrames);
    FigureTable table(title);
    fChildPreview = false;
    // The settings the saver's look depends on, at their defaults.
    RestoreDefaultSettings();
    ShowFramerate.Set(1);
    SetRenderSize(kWidth, kHeight);
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    SetMaxTextureSize(maxTextureSize);
    SetHardwareAccelerated(true);
    ConfigureCamera();
    SetAspect(GetRenderAspect());
    ComputeStarFieldExtents();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_CULL_FACE);
    LoadFont(8);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);

    Measure(table, 0.125f, settleFrames, timedFrames);
    Measure(table, 1.0f, settleFrames, timedFrames);

    ReleaseFont();
    gl.Destroy();
    return ReportFigures(table, options);
}
