#include "os/word_wait.h"

namespace skyloom {

void WaitWhileWordIs(const std::atomic<int32_t>& word, int32_t old) { word.wait(old, std::memory_order_acquire); }

void WakeWordWaiters(std::atomic<int32_t>& word) { word.notify_all(); }

}  // namespace skyloom
