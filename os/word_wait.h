#pragma once

#include <atomic>
#include <cstdint>

namespace skyloom {

// Waiting on an atomic word between threads, without a lock. On Linux this
// is std::atomic's own wait. MinGW's standard library (GCC 12) has no
// futex to wait with and loses wakes: its waiter checks the word and then
// sleeps on a condition variable that a notify can signal in between.

// Blocks, using no CPU, while the word holds old; may also return early.
// The caller loads the word again (acquiring) to see what changed.
void WaitWhileWordIs(const std::atomic<int32_t>& word, int32_t old);

// Wakes every thread waiting on the word, after a change to it.
void WakeWordWaiters(std::atomic<int32_t>& word);

}  // namespace skyloom
