#pragma once

#include <cstdint>

namespace skyloom {

// Milliseconds since the machine started, counting the time it slept, so a
// wall time carried forward by it is still right after a resume.
int64_t MillisecondsSinceBoot();

}  // namespace skyloom
