#include "saver/api_result.h"
#include "saver/fatal_exit.h"
#include "saver/monitor_power.h"
#include "settings/settings.h"
#include "tests/support/test_saver_host.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace skyloom {
namespace {

// A display whose power management is a variable; nullopt: none at all.
class FakeMonitorPower final : public MonitorPowerControl {
public:
    explicit FakeMonitorPower(std::optional<bool> enabled) : enabled(enabled) {}
    std::optional<bool> PowerSavingEnabled() override {
        ++queries;
        return enabled;
    }
    void SetPowerSavingEnabled(bool on) override {
        ++changes;
        enabled = on;
        if (reportChanges) {
            std::fprintf(stderr, "power saving %s\n", on ? "on" : "off");
        }
    }

    std::optional<bool> enabled;
    int queries = 0;
    int changes = 0;
    bool reportChanges = false;
};

class MonitorPowerTest : public ::testing::Test {
protected:
    void SetUp() override { PermitMonitorPowerSaving.Set(0); }
    void TearDown() override { RestoreMonitorPowerSaving(); }
};

TEST_F(MonitorPowerTest, SwitchedOffForTheRunAndBackOnOnce) {
    FakeMonitorPower power(true);
    SuspendMonitorPowerSaving(power);
    EXPECT_EQ(power.enabled, false);
    EXPECT_EQ(PowerOffWasActive(), 1);
    RestoreMonitorPowerSaving();
    EXPECT_EQ(power.enabled, true);
    // The teardown and the emergency path may both run: only one acts.
    RestoreMonitorPowerSaving();
    RunEmergencyTeardown();
    EXPECT_EQ(power.changes, 2);
}

TEST_F(MonitorPowerTest, PowerSavingThatWasOffStaysOff) {
    FakeMonitorPower power(false);
    SuspendMonitorPowerSaving(power);
    EXPECT_EQ(PowerOffWasActive(), 0);
    RestoreMonitorPowerSaving();
    EXPECT_EQ(power.enabled, false);
    EXPECT_EQ(power.changes, 0);
}

TEST_F(MonitorPowerTest, DisplayWithoutPowerManagementIsLeftAlone) {
    FakeMonitorPower power(std::nullopt);
    SuspendMonitorPowerSaving(power);
    EXPECT_EQ(PowerOffWasActive(), 0);
    RestoreMonitorPowerSaving();
    EXPECT_EQ(power.changes, 0);
    EXPECT_FALSE(power.enabled.has_value());
}

TEST_F(MonitorPowerTest, PermittedPowerSavingIsNeitherReadNorChanged) {
    PermitMonitorPowerSaving.Set(1);
    FakeMonitorPower power(true);
    SuspendMonitorPowerSaving(power);
    RestoreMonitorPowerSaving();
    EXPECT_EQ(power.queries, 0);
    EXPECT_EQ(power.changes, 0);
    EXPECT_EQ(power.enabled, true);
}

TEST_F(MonitorPowerTest, EmergencyTeardownRestoresIt) {
    FakeMonitorPower power(true);
    SuspendMonitorPowerSaving(power);
    RunEmergencyTeardown();
    EXPECT_EQ(power.enabled, true);
    RestoreMonitorPowerSaving();
    EXPECT_EQ(power.changes, 2);
}

using MonitorPowerDeathTest = MonitorPowerTest;

TEST_F(MonitorPowerDeathTest, FatalApiFailureRestoresItBeforeExiting) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            testing::TestSaverHost host(SaverMode::FullScreen);
            FakeMonitorPower power(true);
            power.reportChanges = true;
            SuspendMonitorPowerSaving(power);
            CheckApiResult(0, 0, "glXMakeCurrent", 11);
        },
        ::testing::ExitedWithCode(1), "power saving off\n.*power saving on\n.*glXMakeCurrent failed: Error 11\\.");
}

}  // namespace
}  // namespace skyloom
