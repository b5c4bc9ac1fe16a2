#pragma once

#include <sys/types.h>

namespace skyloom::bench {

// User and system CPU seconds of a process so far; negative when it is gone.
double ProcessCpuSeconds(pid_t pid);

}  // namespace skyloom::bench
