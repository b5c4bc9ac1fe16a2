#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace skyloom::bench {

// Sees from outside when a program puts frames on an X server: with the
// RECORD extension it watches the colour image uploads (PutImage,
// ShmPutImage) that a software GL swap sends, from every client that
// connects after Start. Nothing else the saver sends uploads a colour
// image (its invisible cursor is a bitmap), so the first one is the first
// swapped frame.
class SwapWatch {
public:
    SwapWatch() = default;
    ~SwapWatch();
    SwapWatch(const SwapWatch&) = delete;
    SwapWatch& operator=(const SwapWatch&) = delete;

    // False, with the reason on stderr, when the server has no RECORD.
    bool Start(const std::string& display);
    void Stop();

    // Uploads seen since Start, and when the first was seen (MonotonicMs of
    // tests/support); -1 before the first.
    int64_t Swaps() const { return swaps_.load(); }
    int64_t FirstSwapMs() const { return firstSwapMs_.load(); }
    // Counting starts again from none, for the next program.
    void Reset();

private:
    static void Intercepted(XPointer closure, XRecordInterceptData* data);
    void Pump();

    Display* control_ = nullptr;
    Display* data_ = nullptr;
    XRecordContext context_ = 0;
    int shmOpcode_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<int64_t> swaps_{0};
    std::atomic<int64_t> firstSwapMs_{-1};
    std::thread pump_;
};

}  // namespace skyloom::bench
