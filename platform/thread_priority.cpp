#include "platform/thread_priority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace skyloom {

bool LowerCurrentThreadPriority() {
    sched_param param{};
    param.sched_priority = 0;
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0) {
        return true;
    }
    // On Linux a thread id names one thread for the nice value.
    return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19) == 0;
}

}  // namespace skyloom
