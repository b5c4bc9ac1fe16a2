#include "os/boot_clock.h"

#include <time.h>

namespace skyloom {

int64_t MillisecondsSinceBoot() {
    timespec now {};
    // CLOCK_BOOTTIME cannot fail on the kernels this runs on; the monotonic
    // clock is the fallback that at least never goes back.
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        clock_gettime(CLOCK_MONOTONIC, &now);
    }
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

}  // namespace skyloom
