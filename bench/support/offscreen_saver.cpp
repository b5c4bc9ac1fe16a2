#include "bench/support/offscreen_saver.h"

#include <cstdio>

#include "saver/gl_window.h"
#include "saver/saver_host.h"
#include "scene/random.h"

namespace skyloom::bench {

namespace {

// The saver's procedures and state are one per process.
bool oneOpen = false;
double framePeriod = 0.0;

}  // namespace

OffscreenSaver::~OffscreenSaver() { Close(); }

bool OffscreenSaver::Open(int32_t width, int32_t height, bool takenAsAccelerated, double fps, uint32_t seed) {
    Close();
    if (oneOpen) {
        std::fprintf(stderr, "the saver is drawn offscreen once at a time\n");
        return false;
    }
    if (!context_.Create(width, height)) {
        std::fprintf(stderr, "no offscreen GL context of %dx%d\n", width, height);
        return false;
    }
    oneOpen = true;
    host_.emplace(context_, takenAsAccelerated);
    framePeriod = 1.0 / fps;
    clock_ = SimulatedClockSource();
    SetClockSource(clock_);
    SeedRandom(seed);
    InstallSaverHost(&*host_);
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
    // Destroy releases the context through the host.
    GlWindowProc(WindowEvent{WindowMessage::Destroy});
    InstallSaverHost(nullptr);
    host_.reset();
    UseRealClock();
    oneOpen = false;
    open_ = false;
}

}  // namespace skyloom::bench
