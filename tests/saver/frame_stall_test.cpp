// A stopped and continued saver (SIGSTOP, a suspended machine) must resume
// its flight where it left off, not jump ahead by the whole stall.

#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/camera3d.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

namespace skyloom {
namespace {

class FrameStallTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetClockSource(simulated);
        SetFrameStallLimit(1.0);
        StartFrameClock();
        simulated.AdvanceSeconds(0.5);  // scene set-up
        TickFrameClock();
    }
    void TearDown() override {
        SetFrameStallLimit(0.0);
        UseRealClock();
    }

    void Frame(double seconds) {
        simulated.AdvanceSeconds(seconds);
        TickFrameClock();
    }

    SimulatedClockSource simulated{1'000'000'000, 1'700'000'000, 0};
};

TEST_F(FrameStallTest, AStallCountsAsOneMoreNormalFrameWhileElapsedTimeStaysReal) {
    for (int i = 0; i < 50; ++i) {
        Frame(0.02);
    }
    const double before = ElapsedSeconds();
    Frame(30.0);
    EXPECT_NEAR(FrameSeconds(), 0.02, 1e-12);
    EXPECT_NEAR(ElapsedSeconds(), before + 30.0, 1e-9);
    // The frame rate measured over the stall is the real one.
    EXPECT_LT(FramesPerSecond(), 1.0);
    Frame(0.02);
    EXPECT_NEAR(FrameSeconds(), 0.02, 1e-12);
}

TEST_F(FrameStallTest, SlowFramesUpToTheLimitStayExact) {
    // A software renderer at 1920x1080 may run at a few frames a second;
    // its flight must keep its real speed.
    for (const double step : {0.001, 0.0333, 0.25, 0.6, 1.0}) {
        Frame(step);
        EXPECT_NEAR(FrameSeconds(), step, 1e-12) << step;
    }
    Frame(1.5);
    EXPECT_NEAR(FrameSeconds(), 1.0, 1e-12);
}

TEST_F(FrameStallTest, TheFirstTickAfterARestartMeasuresTheSetUpAgain) {
    StartFrameClock();
    simulated.AdvanceSeconds(2.0);
    TickFrameClock();
    EXPECT_DOUBLE_EQ(FrameSeconds(), 2.0);
    // A stall right after it steps no more than the limit.
    Frame(5.0);
    EXPECT_DOUBLE_EQ(FrameSeconds(), 1.0);
}

TEST_F(FrameStallTest, WithoutALimitEveryGapIsMeasured) {
    SetFrameStallLimit(0.0);
    Frame(0.02);
    Frame(30.0);
    EXPECT_DOUBLE_EQ(FrameSeconds(), 30.0);
}

TEST_F(FrameStallTest, TheCameraMovesNoFurtherAfterAStallThanInASlowFrame) {
    FactorCameraSpeed.Set(0.5f);
    CameraRotateEnum.Set(0);
    ConfigureCamera();
    SetAspect(16.0 / 9.0);
    Frame(0.02);
    UpdateCamera();
    const double normalStep = Camera.EyeZ();
    Frame(0.02);
    UpdateCamera();
    const double perFrame = normalStep - Camera.EyeZ();
    ASSERT_GT(perFrame, 0.0);

    const double beforeStall = Camera.EyeZ();
    Frame(30.0);
    UpdateCamera();
    EXPECT_NEAR(beforeStall - Camera.EyeZ(), perFrame, perFrame * 1e-6);
}

}  // namespace
}  // namespace skyloom
