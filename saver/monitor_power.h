#pragma once

#include <cstdint>
#include <optional>

namespace skyloom {

// The display's monitor power management (on X11 the DPMS extension).
class MonitorPowerControl {
public:
    virtual ~MonitorPowerControl() = default;
    // Whether the monitors power down when idle; nullopt when the display
    // has no power management the saver can switch.
    virtual std::optional<bool> PowerSavingEnabled() = 0;
    virtual void SetPowerSavingEnabled(bool enabled) = 0;
};

// For hosts without a display whose power the saver may switch.
class NoMonitorPowerControl final : public MonitorPowerControl {
public:
    std::optional<bool> PowerSavingEnabled() override { return std::nullopt; }
    void SetPowerSavingEnabled(bool) override {}
};

// Unless PermitMonitorPowerSaving is 1: remembers whether power saving was
// on and switches it off for the run. The control must outlive the run.
// While it is off, the emergency teardown switches it back on.
void SuspendMonitorPowerSaving(MonitorPowerControl& control);

// Switches power saving back on when the suspension switched it off.
// Acts once, whichever exit path calls it first.
void RestoreMonitorPowerSaving();

// 1 when power saving was on when the saver suspended it, else 0.
int32_t PowerOffWasActive();

}  // namespace skyloom
