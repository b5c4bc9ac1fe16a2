#include "platform/x11/frame_pacer.h"

#include <gtest/gtest.h>

#include <limits>

namespace skyloom {
namespace {

constexpr int64_t kMs = 1'000'000;

TEST(FramePacerTest, UncappedFramesAreAlwaysDue) {
    FramePacer pacer;
    pacer.SetPeriod(0);
    pacer.FrameStarted(0);
    EXPECT_EQ(pacer.TimeUntilDue(0), 0);
    pacer.SetPeriod(-5);
    EXPECT_EQ(pacer.Period(), 0);
    EXPECT_EQ(pacer.TimeUntilDue(1), 0);
}

TEST(FramePacerTest, KeepsCadenceWhileFramesKeepUp) {
    FramePacer pacer;
    pacer.SetPeriod(16 * kMs);
    EXPECT_EQ(pacer.TimeUntilDue(1000 * kMs), 0);  // the first frame is due at once
    pacer.FrameStarted(1000 * kMs);
    EXPECT_EQ(pacer.TimeUntilDue(1005 * kMs), 11 * kMs);
    // A frame started 3 ms late does not push the next one back.
    pacer.FrameStarted(1019 * kMs);
    EXPECT_EQ(pacer.TimeUntilDue(1020 * kMs), 12 * kMs);
    EXPECT_EQ(pacer.TimeUntilDue(1032 * kMs), 0);
    EXPECT_EQ(pacer.TimeUntilDue(1040 * kMs), 0);
}

TEST(FramePacerTest, RestartsCadenceAfterAStallInsteadOfCatchingUp) {
    FramePacer pacer;
    pacer.SetPeriod(16 * kMs);
    pacer.FrameStarted(0);
    // The next frame comes 200 ms late (a slow frame, a stopped process).
    pacer.FrameStarted(216 * kMs);
    EXPECT_EQ(pacer.TimeUntilDue(217 * kMs), 15 * kMs);
    // A frame exactly one period late also restarts from now.
    pacer.FrameStarted(248 * kMs);
    EXPECT_EQ(pacer.TimeUntilDue(248 * kMs), 16 * kMs);
}

TEST(FramePacerTest, PeriodFromRefreshRate) {
    EXPECT_EQ(FramePeriodForRate(60.0), 16'666'667);
    EXPECT_EQ(FramePeriodForRate(144.0), 6'944'444);
    EXPECT_EQ(FramePeriodForRate(0.0), 0);
    EXPECT_EQ(FramePeriodForRate(-60.0), 0);
    EXPECT_EQ(FramePeriodForRate(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(ModeRefreshRateTest, FromModeTimings) {
    // 1920x1080 at 60 Hz (CEA): 148.5 MHz, 2200 x 1125.
    EXPECT_NEAR(ModeRefreshRate(148'500'000, 2200, 1125, false, false), 60.0, 1e-9);
    // 1920x1080i: 74.25 MHz, 2200 x 1125, two fields a frame: 60 fields a second.
    EXPECT_NEAR(ModeRefreshRate(74'250'000, 2200, 1125, true, false), 60.0, 1e-9);
    // 320x200 double-scanned at 70 Hz: 12.6 MHz, 400 x 225 lines drawn twice.
    EXPECT_NEAR(ModeRefreshRate(12'600'000, 400, 225, false, true), 70.0, 1e-9);
    EXPECT_EQ(ModeRefreshRate(0, 2200, 1125, false, false), 0.0);
    EXPECT_EQ(ModeRefreshRate(148'500'000, 0, 1125, false, false), 0.0);
    EXPECT_EQ(ModeRefreshRate(148'500'000, 2200, 0, false, false), 0.0);
}

}  // namespace
}  // namespace skyloom
