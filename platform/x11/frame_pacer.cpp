#include "platform/x11/frame_pacer.h"

namespace skyloom {

int64_t FramePacer::TimeUntilDue(int64_t nowNs) const {
    if (periodNs_ == 0 || !started_ || nowNs >= nextDueNs_) {
        return 0;
    }
    return nextDueNs_ - nowNs;
}

void FramePacer::FrameStarted(int64_t nowNs) {
    if (!started_ || nowNs - nextDueNs_ >= periodNs_) {
        nextDueNs_ = nowNs + periodNs_;
    } else {
        nextDueNs_ += periodNs_;
    }
    started_ = true;
}

int64_t FramePeriodForRate(double hertz) {
    if (!(hertz > 0.0)) {
        return 0;
    }
    return static_cast<int64_t>(1e9 / hertz + 0.5);
}

double ModeRefreshRate(unsigned long dotClock, unsigned int hTotal, unsigned int vTotal, bool interlaced,
                       bool doubleScan) {
    double lines = static_cast<double>(vTotal);
    if (doubleScan) {
        lines *= 2.0;
    }
    if (interlaced) {
        lines /= 2.0;
    }
    if (dotClock == 0 || hTotal == 0 || lines <= 0.0) {
        return 0.0;
    }
    return static_cast<double>(dotClock) / (static_cast<double>(hTotal) * lines);
}

}  // namespace skyloom
