#include "scene/clock_source.h"
#include "scene/frame_clock.h"
#include "scene/random.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace skyloom {
namespace {

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override { SetClockSource(simulated); }
    void TearDown() override { UseRealClock(); }

    SimulatedClockSource simulated{1'000'000'000, 1'700'000'000, 5000};
};

TEST_F(FrameClockTest, FirstTickMeasuresFromTheStart) {
    StartFrameClock();
    EXPECT_EQ(FrameCount(), 0u);
    simulated.AdvanceSeconds(0.75);  // scene set-up before the first paint
    TickFrameClock();
    EXPECT_EQ(FrameCount(), 1u);
    EXPECT_DOUBLE_EQ(FrameSeconds(), 0.75);
    EXPECT_DOUBLE_EQ(ElapsedSeconds(), 0.75);
    simulated.AdvanceSeconds(0.02);
    TickFrameClock();
    EXPECT_EQ(FrameCount(), 2u);
    EXPECT_NEAR(FrameSeconds(), 0.02, 1e-12);
    EXPECT_NEAR(ElapsedSeconds(), 0.77, 1e-12);
}

TEST_F(FrameClockTest, FramesPerSecondChangesOncePerCompletedWindow) {
    StartFrameClock();
    for (int i = 0; i < 59; ++i) {
        simulated.AdvanceTicks(1'000'000'000 / 60);
        TickFrameClock();
        ASSERT_EQ(FramesPerSecond(), 0.0) << "frame " << i;
    }
    // The 60th frame lands a little short of one second (integer ticks).
    simulated.AdvanceTicks(1'000'000'000 / 60);
    TickFrameClock();
    EXPECT_EQ(FramesPerSecond(), 0.0);
    simulated.AdvanceTicks(1'000'000'000 / 60);
    TickFrameClock();
    const double firstWindow = FramesPerSecond();
    EXPECT_NEAR(firstWindow, 60.0, 1.0);
    // Within the next window the value stays put even when frames slow down.
    for (int i = 0; i < 10; ++i) {
        simulated.AdvanceSeconds(0.05);
        TickFrameClock();
        ASSERT_EQ(FramesPerSecond(), firstWindow);
    }
    for (int i = 0; i < 10; ++i) {
        simulated.AdvanceSeconds(0.05);
        TickFrameClock();
    }
    EXPECT_NEAR(FramesPerSecond(), 20.0, 0.5);
}

TEST_F(FrameClockTest, ClockTimeRunsFromTheBaseAndTruncates) {
    StartFrameClock();
    simulated.AdvanceSeconds(2.5);
    EXPECT_EQ(ClockTime(), 1'700'000'002);
    simulated.AdvanceSeconds(0.499);
    EXPECT_EQ(ClockTime(), 1'700'000'002);
    simulated.AdvanceSeconds(0.001);
    EXPECT_EQ(ClockTime(), 1'700'000'003);
}

TEST_F(FrameClockTest, ClockTimeIgnoresLaterChangesOfTheSystemTime) {
    StartFrameClock();
    simulated.AdvanceSeconds(10.0);
    simulated.SetWallSeconds(1'800'000'000);
    EXPECT_EQ(ClockTime(), 1'700'000'010);
}

TEST_F(FrameClockTest, AfterTheMachineSleptClockTimeIsTheRealTimeAndTheStepStaysSmall) {
    SetFrameStallLimit(0.25);
    StartFrameClock();
    simulated.AdvanceSeconds(10.0);
    TickFrameClock();
    simulated.AdvanceSeconds(0.02);
    TickFrameClock();
    simulated.Sleep(3600);
    simulated.AdvanceSeconds(0.02);
    TickFrameClock();
    SetFrameStallLimit(0.0);
    EXPECT_EQ(ClockTime(), simulated.WallSeconds());
    EXPECT_EQ(ClockTime(), 1'700'003'610);
    EXPECT_NEAR(FrameSeconds(), 0.02, 1e-9);
    EXPECT_NEAR(ElapsedSeconds(), 10.04, 1e-9);
}

TEST(RealClockSource, MillisecondsCountMilliseconds) {
    const SteadyClockSource real;
    const uint32_t before = real.Milliseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const uint32_t passed = real.Milliseconds() - before;
    // Windows' tick count moves in steps of up to 16 ms.
    EXPECT_GE(passed, 84u);
    EXPECT_LT(passed, 60'000u);
}

TEST_F(FrameClockTest, MillisecondCounterWrapsWithoutDisturbingClockTime) {
    SimulatedClockSource nearWrap(1'000'000'000, 1'700'000'000, 0xFFFFFFFFu - 999u);
    SetClockSource(nearWrap);
    StartFrameClock();
    const uint32_t before = TimeGetTime();
    nearWrap.AdvanceSeconds(3.0);
    const uint32_t after = TimeGetTime();
    EXPECT_LT(after, before);  // the counter wrapped
    EXPECT_EQ(after - before, 3000u);
    EXPECT_EQ(ClockTime(), 1'700'000'003);
}

TEST_F(FrameClockTest, NegativeResultReBasesOnTheWallClock) {
    SimulatedClockSource beforeEpoch(1'000'000'000, -5, 0);
    SetClockSource(beforeEpoch);
    StartFrameClock();
    beforeEpoch.AdvanceSeconds(1.0);
    beforeEpoch.SetWallSeconds(1'700'000'000);
    EXPECT_EQ(ClockTime(), 1'700'000'000);
    beforeEpoch.AdvanceSeconds(2.0);
    EXPECT_EQ(ClockTime(), 1'700'000'002);
}

TEST_F(FrameClockTest, SimulatedFramesAreExactFractions) {
    SimulatedClockSource render(30 * 1000);
    SetClockSource(render);
    StartFrameClock();
    for (int i = 0; i < 300; ++i) {
        render.AdvanceTicks(1000);
        TickFrameClock();
        ASSERT_EQ(FrameSeconds(), 1.0 / 30.0);
    }
    EXPECT_EQ(ElapsedSeconds(), 10.0);
    EXPECT_EQ(TimeGetTime(), 10'000u);
}

TEST_F(FrameClockTest, RandomEventUsesTheFrameRateDependentModulus) {
    StartFrameClock();
    simulated.AdvanceSeconds(0.02);  // 50 frames a second
    TickFrameClock();
    // K = 20 s at 50 fps: one chance in 1001 per frame.
    SeedRandom(8);
    int expectedHits = 0;
    for (int i = 0; i < 5000; ++i) {
        if (RandomDraw() % 1001 == 0) {
            ++expectedHits;
        }
    }
    SeedRandom(8);
    int hits = 0;
    for (int i = 0; i < 5000; ++i) {
        if (RandomEventDue(20.0)) {
            ++hits;
        }
    }
    EXPECT_EQ(hits, expectedHits);
    EXPECT_GT(hits, 0);
}

}  // namespace
}  // namespace skyloom
