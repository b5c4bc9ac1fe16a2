#include "os/thread_priority.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace skyloom {
namespace {

struct Lowered {
    bool result = false;
    int policy = -1;
    int nice = 0;
};

// Lowers a fresh thread that starts at startNice and reads back what it got.
Lowered LowerThreadStartingAt(int startNice) {
    Lowered lowered;
    std::thread([&] {
        const id_t self = static_cast<id_t>(gettid());
        if (setpriority(PRIO_PROCESS, self, startNice) != 0) {
            return;
        }
        lowered.result = LowerCurrentThreadPriority();
        lowered.policy = sched_getscheduler(0);
        errno = 0;
        lowered.nice = getpriority(PRIO_PROCESS, self);
    }).join();
    return lowered;
}

// A lowered thread must still get the CPU within milliseconds on a busy
// machine, to stop when asked: the normal class, a moderate nice value.
TEST(ThreadPriorityTest, LowersWithinTheNormalClassToNiceFive) {
    struct Case {
        int startNice;
        int expectedNice;
    };
    for (const Case c : {Case{0, 5}, Case{3, 5}, Case{5, 5}, Case{10, 10}, Case{19, 19}}) {
        const Lowered lowered = LowerThreadStartingAt(c.startNice);
        EXPECT_TRUE(lowered.result) << "from nice " << c.startNice;
        EXPECT_EQ(lowered.policy, SCHED_OTHER) << "from nice " << c.startNice;
        EXPECT_EQ(lowered.nice, c.expectedNice) << "from nice " << c.startNice;
    }
}

}  // namespace
}  // namespace skyloom
