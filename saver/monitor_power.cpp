#include "saver/monitor_power.h"

#include "saver/fatal_exit.h"
#include "settings/settings.h"

namespace skyloom {

namespace {
MonitorPowerControl* suspendedControl = nullptr;
int32_t powerOffWasActive = 0;
}  // namespace

void SuspendMonitorPowerSaving(MonitorPowerControl& control) {
    if (PermitMonitorPowerSaving.Get() == 1) {
        return;
    }
    const std::optional<bool> enabled = control.PowerSavingEnabled();
    powerOffWasActive = enabled.value_or(false) ? 1 : 0;
    if (powerOffWasActive == 0) {
        return;
    }
    suspendedControl = &control;
    // Registered before switching, so a fatal exit in between still restores.
    AddEmergencyTeardown(RestoreMonitorPowerSaving);
    control.SetPowerSavingEnabled(false);
}

void RestoreMonitorPowerSaving() {
    RemoveEmergencyTeardown(RestoreMonitorPowerSaving);
    MonitorPowerControl* control = suspendedControl;
    suspendedControl = nullptr;
    if (control != nullptr && powerOffWasActive != 0) {
        control->SetPowerSavingEnabled(true);
    }
}

int32_t PowerOffWasActive() { return powerOffWasActive; }

}  // namespace skyloom
