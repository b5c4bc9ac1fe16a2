#include "bench/support/offscreen_saver.h"

#include <GL/gl.h>

#include <cstdio>

#include "saver/saver_host.h"
#include "saver/gl_window.h"
#include "scene/random.h"

namespace skyloom::bench {

namespace {

OffscreenGlContext* currentContext = nullptr;
double framePeriod = 0.0;

}  // namespace

OffscreenSaver::~OffscreenSaver() { Close(); }

void OffscreenSaver::FinishFrame() { glFinish(); }

void OffscreenSaver::ReleaseContext() { currentContext->Destroy(); }

bool OffscreenSaver::Open(int32_t width, int32_t height, bool takenAsAccelerated, double fps, uint32_t seed) {
    Close();
    if (currentContext != nullptr) {
        std::fprintf(stderr, "the saver is drawn offscreen once at a time\n");
        return false;
    }
    if (!context_.Create(width, height)) {
        std::fprintf(stderr, "no offscreen GL context of %dx%d\n", width, height);
        return false;
    }
    static const OffscreenSurface surface{FinishFrame, ReleaseContext};
    currentContext = &context_;
    framePeriod = 1.0 / fps;
    clock_ = SimulatedClockSource();
    SetClockSource(clock_);
    SeedRandom(seed);
    ForceAcceleratedRendering(takenAsAccelerated);
    InstallOffscreenSurface(&surface);
    GlWindowProc(WindowEvent{WindowMessage::Create});
    WindowEvent size{WindowMessage::Size};
    size.width = width;
    size.height = height;
    GlWindowProc(size);
    open_ = true;
    return true;
}

void OffscreenSaver::Paint() {
    clock_.AdvanceSeconds(framePeriod);
    GlWindowProc(WindowEvent{WindowMessage::Paint});
}

void OffscreenSaver::Close() {
    if (!open_) {
        return;
    }
    // Destroy releases the context through the surface.
    GlWindowProc(WindowEvent{WindowMessage::Destroy});
    InstallOffscreenSurface(nullptr);
    ForceAcceleratedRendering(false);
    UseRealClock();
    currentContext = nullptr;
    open_ = false;
}

}  // namespace skyloom::bench
