#pragma once

#include <cstdint>

namespace skyloom {

// Keeps frames from coming faster than the display shows them when buffer
// swaps do not wait for it. Times in nanoseconds on a monotonic clock.
class FramePacer {
public:
    // period 0: no cap, every frame is due at once.
    void SetPeriod(int64_t periodNs) { periodNs_ = periodNs > 0 ? periodNs : 0; }
    int64_t Period() const { return periodNs_; }

    // How long until the next frame is due; 0 when it is due now.
    int64_t TimeUntilDue(int64_t nowNs) const;
    // A frame starts now. Frames keep a steady cadence while they keep up;
    // after a stall the cadence restarts from now instead of rushing frames
    // out to catch up.
    void FrameStarted(int64_t nowNs);

private:
    int64_t periodNs_ = 0;
    int64_t nextDueNs_ = 0;
    bool started_ = false;
};

// Frame period of a refresh rate; 0 (no cap) for a rate that is not positive.
int64_t FramePeriodForRate(double hertz);

// Refresh rate in Hz of a video mode from its timings; 0 when they do not
// give one. Interlaced modes show two fields a frame, double-scan modes
// draw each line twice.
double ModeRefreshRate(unsigned long dotClock, unsigned int hTotal, unsigned int vTotal, bool interlaced,
                       bool doubleScan);

}  // namespace skyloom
