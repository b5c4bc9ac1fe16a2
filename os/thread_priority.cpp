#include "os/thread_priority.h"

#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace skyloom {

namespace {
constexpr int kLoweredNice = 5;
}

bool LowerCurrentThreadPriority() {
    // On Linux a thread id names one thread for the nice value.
    const id_t thread = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (current == -1 && errno != 0) {
        return false;
    }
    if (current >= kLoweredNice) {
        return true;
    }
    return setpriority(PRIO_PROCESS, thread, kLoweredNice) == 0;
}

}  // namespace skyloom
