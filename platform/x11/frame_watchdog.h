#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace skyloom {

// Notices a frame that never finishes: a display driver or X server that
// stopped answering would otherwise leave a frozen picture holding the
// keyboard and pointer for good. A thread of its own looks once per period
// (a quarter of the limit, at most a second) and otherwise sleeps.
class FrameWatchdog {
public:
    // Monotonic milliseconds.
    using Clock = int64_t (*)();
    // Called once, on the watchdog's thread, with how long the frame has
    // been stuck.
    using HangAction = void (*)(int64_t stuckMs);

    FrameWatchdog(int64_t limitMs, HangAction onHang, Clock clock = nullptr);
    ~FrameWatchdog();
    FrameWatchdog(const FrameWatchdog&) = delete;
    FrameWatchdog& operator=(const FrameWatchdog&) = delete;

    // Around each frame; lock-free, for the render path.
    void FrameStarted() { frameStartMs_.store(clock_()); }
    void FrameEnded() { frameStartMs_.store(kNoFrame); }

private:
    static constexpr int64_t kNoFrame = -1;
    void Watch();

    const int64_t limitMs_;
    const int64_t periodMs_;
    const HangAction onHang_;
    const Clock clock_;
    std::atomic<int64_t> frameStartMs_{kNoFrame};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

// The frame limit for the live saver: 30 seconds, or the whole seconds in
// SKYLOOM_FRAME_TIMEOUT; 0 there turns the watchdog off. An unreadable
// value keeps the default and says so on standard error.
int64_t FrameTimeoutMsFromEnvironment();

}  // namespace skyloom
