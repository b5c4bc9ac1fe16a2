#pragma once

#include "saver/monitor_power.h"

namespace skyloom::win32 {

// Windows' two monitor power-saving switches, power-off and low power, as
// one: saving is on when either is; switching it off remembers which were
// on, and switching it on again restores exactly those. Nothing is written
// to the user's profile.
class SpiMonitorPowerControl final : public MonitorPowerControl {
public:
    std::optional<bool> PowerSavingEnabled() override;
    void SetPowerSavingEnabled(bool enabled) override;

private:
    bool powerOffWasActive_ = false;
    bool lowPowerWasActive_ = false;
};

}  // namespace skyloom::win32
