#include "scene/clock_source.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace skyloom {
namespace {

// The kernel's own count of seconds since boot goes on while the machine
// sleeps; the real millisecond counter must run with it, not with the
// steady clock that stops.
TEST(RealClockSource, MillisecondsRunWithTheTimeSinceBoot) {
    std::FILE* uptime = std::fopen("/proc/uptime", "r");
    ASSERT_NE(uptime, nullptr);
    double secondsSinceBoot = 0.0;
    ASSERT_EQ(std::fscanf(uptime, "%lf", &secondsSinceBoot), 1);
    std::fclose(uptime);
    const SteadyClockSource real;
    const uint32_t expected = static_cast<uint32_t>(static_cast<uint64_t>(secondsSinceBoot * 1000.0));
    EXPECT_LT(real.Milliseconds() - expected, 1000u) << "since boot " << secondsSinceBoot << " s";
}

}  // namespace
}  // namespace skyloom
