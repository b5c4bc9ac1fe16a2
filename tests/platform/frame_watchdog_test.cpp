// The frame watchdog: fires for a frame stuck past its limit, never for
// frames that finish or for time the whole process was stopped.

#include "platform/x11/frame_watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace skyloom {
namespace {

std::atomic<int> hangs{0};
std::atomic<int64_t> lastStuckMs{0};

void CountHang(int64_t stuckMs) {
    lastStuckMs.store(stuckMs);
    hangs.fetch_add(1);
}

std::atomic<int64_t> fakeNowMs{0};
int64_t FakeClock() { return fakeNowMs.load(); }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool WaitForHang(int withinMs) {
    for (int waited = 0; waited < withinMs && hangs.load() == 0; waited += 10) {
        SleepMs(10);
    }
    return hangs.load() > 0;
}

class FrameWatchdogTest : public ::testing::Test {
protected:
    void SetUp() override {
        hangs = 0;
        lastStuckMs = 0;
        fakeNowMs = 0;
    }
};

TEST_F(FrameWatchdogTest, AFrameStuckPastTheLimitFiresOnce) {
    FrameWatchdog watchdog(200, CountHang);
    watchdog.FrameStarted();
    ASSERT_TRUE(WaitForHang(5000));
    EXPECT_GT(lastStuckMs.load(), 200);
    SleepMs(300);
    EXPECT_EQ(hangs.load(), 1);
}

TEST_F(FrameWatchdogTest, FramesThatFinishAndTimeBetweenFramesNeverFire) {
    FrameWatchdog watchdog(200, CountHang);
    for (int frame = 0; frame < 20; ++frame) {
        watchdog.FrameStarted();
        SleepMs(30);
        watchdog.FrameEnded();
    }
    // No frame under way: an idle saver is not a hung one.
    SleepMs(600);
    EXPECT_EQ(hangs.load(), 0);
}

TEST_F(FrameWatchdogTest, TimeTheProcessWasStoppedDoesNotCount) {
    // Limit 1000 ms: the watchdog looks every 250 ms of real time and
    // reads the fake clock then.
    FrameWatchdog watchdog(1000, CountHang, FakeClock);
    watchdog.FrameStarted();
    SleepMs(300);
    // Ten seconds pass between two looks, as under SIGSTOP.
    fakeNowMs = 10'000;
    SleepMs(600);
    EXPECT_EQ(hangs.load(), 0);
    // The frame then stays stuck with the clock running: it fires.
    for (int step = 0; step < 40 && hangs.load() == 0; ++step) {
        fakeNowMs += 100;
        SleepMs(100);
    }
    EXPECT_EQ(hangs.load(), 1);
    EXPECT_GT(lastStuckMs.load(), 1000);
    EXPECT_LT(lastStuckMs.load(), 2500);
}

class FrameTimeoutEnvironmentTest : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("SKYLOOM_FRAME_TIMEOUT"); }
};

TEST_F(FrameTimeoutEnvironmentTest, ReadsWholeSecondsAndKeepsTheDefaultForAnythingElse) {
    unsetenv("SKYLOOM_FRAME_TIMEOUT");
    EXPECT_EQ(FrameTimeoutMsFromEnvironment(), 30'000);
    setenv("SKYLOOM_FRAME_TIMEOUT", "5", 1);
    EXPECT_EQ(FrameTimeoutMsFromEnvironment(), 5000);
    setenv("SKYLOOM_FRAME_TIMEOUT", "0", 1);
    EXPECT_EQ(FrameTimeoutMsFromEnvironment(), 0);
    for (const char* bad : {"", "-1", "5s", "abc", "99999999999999999999", "86401"}) {
        setenv("SKYLOOM_FRAME_TIMEOUT", bad, 1);
        EXPECT_EQ(FrameTimeoutMsFromEnvironment(), 30'000) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace skyloom
