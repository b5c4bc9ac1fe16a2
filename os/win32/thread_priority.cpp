#include "os/thread_priority.h"

#include <windows.h>

namespace skyloom {

bool LowerCurrentThreadPriority() {
    // One step below normal; the idle priority would leave the thread
    // waiting for seconds on a busy machine.
    const HANDLE thread = GetCurrentThread();
    const int current = GetThreadPriority(thread);
    if (current == THREAD_PRIORITY_ERROR_RETURN) {
        return false;
    }
    if (current <= THREAD_PRIORITY_BELOW_NORMAL) {
        return true;
    }
    return SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL) != 0;
}

}  // namespace skyloom
