#include "os/word_wait.h"

#include <windows.h>

namespace skyloom {

static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t) && std::atomic<int32_t>::is_always_lock_free,
              "WaitOnAddress compares the atomic's bytes as a plain word");

void WaitWhileWordIs(const std::atomic<int32_t>& word, int32_t old) {
    // Returns at once when the word no longer holds old, and on any wake.
    WaitOnAddress(const_cast<std::atomic<int32_t>*>(&word), &old, sizeof old, INFINITE);
}

void WakeWordWaiters(std::atomic<int32_t>& word) { WakeByAddressAll(&word); }

}  // namespace skyloom
