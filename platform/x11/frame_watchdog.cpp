#include "platform/x11/frame_watchdog.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace skyloom {

namespace {

constexpr int64_t kDefaultFrameTimeoutMs = 30'000;
// Seconds beyond any sensible wait, and far from overflowing milliseconds.
constexpr long kMostFrameTimeoutSeconds = 86'400;

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

FrameWatchdog::FrameWatchdog(int64_t limitMs, HangAction onHang, Clock clock)
    : limitMs_(std::max<int64_t>(limitMs, 1)),
      periodMs_(std::clamp<int64_t>(limitMs_ / 4, 1, 1000)),
      onHang_(onHang),
      clock_(clock != nullptr ? clock : SteadyMs) {
    thread_ = std::thread(&FrameWatchdog::Watch, this);
}

FrameWatchdog::~FrameWatchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void FrameWatchdog::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    int64_t lastLookMs = clock_();
    while (!wake_.wait_for(lock, std::chrono::milliseconds(periodMs_), [this] { return stopping_; })) {
        const int64_t now = clock_();
        int64_t start = frameStartMs_.load();
        // A look far later than planned means the whole process was stopped
        // (SIGSTOP, a debugger) or starved: the frame gets a fresh limit
        // instead of being blamed for time nobody could run.
        if (now - lastLookMs > 3 * periodMs_ && start != kNoFrame) {
            frameStartMs_.compare_exchange_strong(start, now);
            start = frameStartMs_.load();
        }
        lastLookMs = now;
        if (start != kNoFrame && now - start > limitMs_) {
            onHang_(now - start);
            return;
        }
    }
}

int64_t FrameTimeoutMsFromEnvironment() {
    const char* text = std::getenv("SKYLOOM_FRAME_TIMEOUT");
    if (text == nullptr || text[0] == '\0') {
        return kDefaultFrameTimeoutMs;
    }
    errno = 0;
    char* end = nullptr;
    const long seconds = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || seconds < 0 || seconds > kMostFrameTimeoutSeconds) {
        std::fprintf(stderr,
                     "Skyloom: SKYLOOM_FRAME_TIMEOUT=\"%s\" is not a number of seconds from 0 to %ld; "
                     "using %lld.\n",
                     text, kMostFrameTimeoutSeconds, static_cast<long long>(kDefaultFrameTimeoutMs / 1000));
        return kDefaultFrameTimeoutMs;
    }
    return static_cast<int64_t>(seconds) * 1000;
}

}  // namespace skyloom
