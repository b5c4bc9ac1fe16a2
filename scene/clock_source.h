#pragma once

#include <cstdint>

namespace skyloom {

// Every time source of the program sits behind this interface, so tests and
// the offscreen renderer can run the whole program on simulated time.
class ClockSource {
public:
    virtual ~ClockSource() = default;
    // Counts per second of Counter(); never 0.
    virtual int64_t CounterFrequency() const = 0;
    // Monotonic high-resolution counter.
    virtual int64_t Counter() const = 0;
    // Monotonic 32-bit millisecond counter that wraps like an unsigned value
    // and, unlike Counter(), goes on while the machine sleeps.
    virtual uint32_t Milliseconds() const = 0;
    // Wall-clock seconds since 1970.
    virtual int64_t WallSeconds() const = 0;
};

// Real time: the steady clock for the counter, the time since boot for the
// milliseconds, the system clock for the wall.
class SteadyClockSource final : public ClockSource {
public:
    int64_t CounterFrequency() const override;
    int64_t Counter() const override;
    uint32_t Milliseconds() const override;
    int64_t WallSeconds() const override;
};

// Time that moves only when told to. Its counter runs at the given frequency,
// so a renderer at F frames a second can step by exactly 1/F with
// frequency F * 1000 and 1000 ticks a frame.
class SimulatedClockSource final : public ClockSource {
public:
    explicit SimulatedClockSource(int64_t frequency = 1'000'000'000,
                                  int64_t wallSecondsAtStart = 1'000'000'000,
                                  uint32_t millisecondsAtStart = 0);
    void AdvanceTicks(int64_t ticks);
    // Rounded to whole ticks.
    void AdvanceSeconds(double seconds);
    // Moves the wall clock alone, as a user changing the system time would.
    void SetWallSeconds(int64_t wallSeconds);
    // A suspended machine: the wall clock and the milliseconds move on, the
    // counter stands still.
    void Sleep(int64_t seconds);

    int64_t CounterFrequency() const override;
    int64_t Counter() const override;
    uint32_t Milliseconds() const override;
    int64_t WallSeconds() const override;

private:
    int64_t frequency_;
    int64_t elapsedTicks_ = 0;
    int64_t wallSecondsAtStart_;
    uint32_t millisecondsAtStart_;
    int64_t secondsAsleep_ = 0;
};

// The source every clock read goes through; the steady clock unless replaced.
// The source must outlive its use.
void SetClockSource(ClockSource& source);
void UseRealClock();
const ClockSource& CurrentClockSource();

// The millisecond counters the rest of the program spaces events with.
uint32_t TimeGetTime();
uint32_t GetTickCount();

}  // namespace skyloom
