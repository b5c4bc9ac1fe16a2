#include "scene/clock_source.h"

#include "os/boot_clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace skyloom {

namespace {
SteadyClockSource realClock;
const ClockSource* currentSource = &realClock;

int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

int64_t SteadyClockSource::CounterFrequency() const { return 1'000'000'000; }

int64_t SteadyClockSource::Counter() const { return SteadyNanoseconds(); }

uint32_t SteadyClockSource::Milliseconds() const {
    return static_cast<uint32_t>(static_cast<uint64_t>(MillisecondsSinceBoot()));
}

int64_t SteadyClockSource::WallSeconds() const { return static_cast<int64_t>(std::time(nullptr)); }

SimulatedClockSource::SimulatedClockSource(int64_t frequency, int64_t wallSecondsAtStart,
                                           uint32_t millisecondsAtStart)
    : frequency_(frequency > 0 ? frequency : 1),
      wallSecondsAtStart_(wallSecondsAtStart),
      millisecondsAtStart_(millisecondsAtStart) {}

void SimulatedClockSource::AdvanceTicks(int64_t ticks) { elapsedTicks_ += ticks; }

void SimulatedClockSource::AdvanceSeconds(double seconds) {
    AdvanceTicks(std::llround(seconds * static_cast<double>(frequency_)));
}

void SimulatedClockSource::SetWallSeconds(int64_t wallSeconds) {
    wallSecondsAtStart_ = wallSeconds - elapsedTicks_ / frequency_ - secondsAsleep_;
}

void SimulatedClockSource::Sleep(int64_t seconds) { secondsAsleep_ += seconds; }

int64_t SimulatedClockSource::CounterFrequency() const { return frequency_; }

int64_t SimulatedClockSource::Counter() const { return elapsedTicks_; }

uint32_t SimulatedClockSource::Milliseconds() const {
    // Whole seconds and the remainder apart, so long runs cannot overflow.
    const int64_t seconds = elapsedTicks_ / frequency_;
    const int64_t remainder = elapsedTicks_ % frequency_;
    const int64_t milliseconds = (seconds + secondsAsleep_) * 1000 + remainder * 1000 / frequency_;
    return millisecondsAtStart_ + static_cast<uint32_t>(static_cast<uint64_t>(milliseconds));
}

int64_t SimulatedClockSource::WallSeconds() const {
    return wallSecondsAtStart_ + elapsedTicks_ / frequency_ + secondsAsleep_;
}

void SetClockSource(ClockSource& source) { currentSource = &source; }

void UseRealClock() { currentSource = &realClock; }

const ClockSource& CurrentClockSource() { return *currentSource; }

uint32_t TimeGetTime() { return currentSource->Milliseconds(); }

uint32_t GetTickCount() { return currentSource->Milliseconds(); }

}  // namespace skyloom
