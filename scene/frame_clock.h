#pragma once

#include <cstdint>

namespace skyloom {

// Measures real (or simulated) time for the frame loop. Main thread only.
void StartFrameClock();
// First thing in every frame.
void TickFrameClock();

// Once set (the live saver sets it), a gap between two ticks longer than
// this counts as a stall and steps like the frame before it, so a stopped
// and continued saver does not replay the whole gap as one step.
void SetFrameStallLimit(double seconds);

// Seconds since the previous tick, or the previous step after a stall.
double FrameSeconds();
// Real seconds since the start, stalls included.
double ElapsedSeconds();
// Over the last completed window of at least one second; 0 before that.
double FramesPerSecond();
uint32_t FrameCount();

// Wall-clock seconds since 1970, running at the clock's own speed from the
// start so later changes of the system time do not move it.
int64_t ClockTime();

// True, once per frame, with a mean period of meanPeriodSeconds.
bool RandomEventDue(double meanPeriodSeconds);

}  // namespace skyloom
