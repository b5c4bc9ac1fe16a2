#include "scene/frame_clock.h"

#include <algorithm>

#include "scene/clock_source.h"
#include "scene/random.h"

namespace skyloom {

namespace {
struct FrameClockState {
    int64_t frequency = 1;
    int64_t startCount = 0;
    int64_t previousCount = 0;
    int64_t windowStartCount = 0;
    uint32_t frameCount = 0;
    uint32_t framesInWindow = 0;
    double frameSeconds = 0.0;
    double elapsedSeconds = 0.0;
    double framesPerSecond = 0.0;
    bool ticked = false;
    int64_t baseTime = 0;
    uint32_t baseMilliseconds = 0;
};

FrameClockState clock;

// Gaps longer than this count as a stall; 0 measures every gap exactly.
double stallSeconds = 0.0;
}  // namespace

void SetFrameStallLimit(double seconds) { stallSeconds = seconds; }

void StartFrameClock() {
    const ClockSource& source = CurrentClockSource();
    clock = FrameClockState{};
    clock.frequency = source.CounterFrequency();
    clock.startCount = source.Counter();
    clock.previousCount = clock.startCount;
    clock.windowStartCount = clock.startCount;
    clock.baseTime = source.WallSeconds();
    clock.baseMilliseconds = source.Milliseconds();
}

void TickFrameClock() {
    ++clock.frameCount;
    ++clock.framesInWindow;
    const int64_t now = CurrentClockSource().Counter();
    const double frequency = static_cast<double>(clock.frequency);
    const double gap = static_cast<double>(now - clock.previousCount) / frequency;
    // A stall (the process stopped and continued, the machine suspended)
    // would hand every object the whole gap at once and the flight would
    // jump: it counts as one more frame like the one before it. The first
    // tick measures the scene set-up and is never a stall.
    if (clock.ticked && stallSeconds > 0.0 && gap > stallSeconds) {
        clock.frameSeconds = std::min(clock.frameSeconds, stallSeconds);
    } else {
        clock.frameSeconds = gap;
    }
    clock.ticked = true;
    clock.previousCount = now;
    clock.elapsedSeconds = static_cast<double>(now - clock.startCount) / frequency;
    const double windowSeconds = static_cast<double>(now - clock.windowStartCount) / frequency;
    if (windowSeconds >= 1.0) {
        clock.framesPerSecond = clock.framesInWindow / windowSeconds;
        clock.framesInWindow = 0;
        clock.windowStartCount = now;
    }
}

double FrameSeconds() { return clock.frameSeconds; }

double ElapsedSeconds() { return clock.elapsedSeconds; }

double FramesPerSecond() { return clock.framesPerSecond; }

uint32_t FrameCount() { return clock.frameCount; }

int64_t ClockTime() {
    const ClockSource& source = CurrentClockSource();
    const uint32_t timer = source.Milliseconds();
    const uint32_t milliseconds = timer - clock.baseMilliseconds;
    const int64_t result = clock.baseTime + static_cast<int64_t>(milliseconds * 0.001);
    if (result < 0) {
        clock.baseTime = source.WallSeconds();
        clock.baseMilliseconds = timer;
        return clock.baseTime;
    }
    return result;
}

bool RandomEventDue(double meanPeriodSeconds) {
    // A zero-length frame (two ticks within one counter step) means an
    // unbounded number of chances; any count above the draw range behaves alike.
    const double periods = clock.frameSeconds > 0.0 ? meanPeriodSeconds / clock.frameSeconds : 1e9;
    const int chances = periods < 1e9 ? static_cast<int>(periods) + 1 : 1'000'000'000;
    return RandomDraw() % chances == 0;
}

}  // namespace skyloom
