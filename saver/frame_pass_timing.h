#pragma once

namespace skyloom {

// Wall and process CPU time of the update and the render pass of the frame
// the GL window painted last, for the benchmarks. Off unless switched on;
// while on, the render pass ends with glFinish, since a software renderer
// queues its work and would otherwise be timed for the queueing alone.
struct PassTime {
    double wallMs = 0.0;
    double cpuMs = 0.0;
};
struct FramePassTimes {
    PassTime update;
    PassTime render;
};

void SetFramePassTiming(bool on);
const FramePassTimes& LastFramePassTimes();

// The GL window's frame marks its start and the end of each pass; each is
// a no-op while timing is off.
void MarkFrameStart();
void MarkUpdateDone();
void MarkRenderDone();

}  // namespace skyloom
