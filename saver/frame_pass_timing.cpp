#include "saver/frame_pass_timing.h"

#include <GL/gl.h>
#include <time.h>

namespace skyloom {

namespace {

struct Mark {
    double wallMs = 0.0;
    double cpuMs = 0.0;
};

bool timing = false;
Mark frameStart;
Mark updateDone;
FramePassTimes last;

double ClockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

// The process clock counts the renderer's worker threads as well.
Mark Now() { return Mark{ClockMs(CLOCK_MONOTONIC), ClockMs(CLOCK_PROCESS_CPUTIME_ID)}; }

PassTime Between(const Mark& from, const Mark& to) { return PassTime{to.wallMs - from.wallMs, to.cpuMs - from.cpuMs}; }

}  // namespace

void SetFramePassTiming(bool on) { timing = on; }

const FramePassTimes& LastFramePassTimes() { return last; }

void MarkFrameStart() {
    if (timing) {
        frameStart = Now();
    }
}

void MarkUpdateDone() {
    if (timing) {
        updateDone = Now();
        last.update = Between(frameStart, updateDone);
    }
}

void MarkRenderDone() {
    if (timing) {
        glFinish();
        last.render = Between(updateDone, Now());
    }
}

}  // namespace skyloom
