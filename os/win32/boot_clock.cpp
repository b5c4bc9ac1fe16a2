#include "os/boot_clock.h"

#include <windows.h>

namespace skyloom {

// Counts on while the machine sleeps, unlike the unbiased interrupt time.
int64_t MillisecondsSinceBoot() { return static_cast<int64_t>(GetTickCount64()); }

}  // namespace skyloom
