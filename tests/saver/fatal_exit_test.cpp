// The emergency teardown's order: a step that may block on a lock a crash
// left held runs only after every signal-safe step.

#include "saver/fatal_exit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace skyloom {
namespace {

std::string ran;

void SafeOlder() { ran += "s1 "; }
void SafeNewer() { ran += "s2 "; }
void BlockingOlder() { ran += "b1 "; }
void BlockingNewer() { ran += "b2 "; }

TEST(EmergencyTeardown, SignalSafeStepsRunFirstEachKindNewestFirst) {
    ran.clear();
    AddEmergencyTeardown(BlockingOlder);
    AddEmergencyTeardown(SafeOlder, TeardownSafety::SignalSafe);
    AddEmergencyTeardown(BlockingNewer);
    AddEmergencyTeardown(SafeNewer, TeardownSafety::SignalSafe);
    RunEmergencyTeardown();
    EXPECT_EQ(ran, "s2 s1 b2 b1 ");
    // Forgotten once run.
    RunEmergencyTeardown();
    EXPECT_EQ(ran, "s2 s1 b2 b1 ");
}

TEST(EmergencyTeardown, RemovedStepsOfEitherKindDoNotRunAndNoStepRunsTwice) {
    ran.clear();
    AddEmergencyTeardown(SafeOlder, TeardownSafety::SignalSafe);
    AddEmergencyTeardown(BlockingOlder);
    AddEmergencyTeardown(BlockingOlder);
    AddEmergencyTeardown(SafeNewer, TeardownSafety::SignalSafe);
    RemoveEmergencyTeardown(SafeOlder);
    RemoveEmergencyTeardown(BlockingNewer);  // never added: nothing happens
    RunEmergencyTeardown();
    EXPECT_EQ(ran, "s2 b1 ");
}

void ReportTeardown() { std::fputs("teardown ran\n", stderr); }

TEST(FatalExitDeathTest, ReportsOnStandardErrorAndEndsWithTheCodeAfterTheTeardown) {
    EXPECT_EXIT(AssertFailure("count > 0", "sun", 42), ::testing::ExitedWithCode(1), "sun \\(42\\) Assert: count > 0");
    EXPECT_EXIT(
        {
            AddEmergencyTeardown(ReportTeardown);
            FatalExit(3);
        },
        ::testing::ExitedWithCode(3), "teardown ran");
}

}  // namespace
}  // namespace skyloom
