#pragma once

#include "saver/monitor_power.h"

#include <X11/Xlib.h>

namespace skyloom {

// Monitor power management through the X DPMS extension. One switch covers
// standby, suspend and off alike.
class XDpmsPowerControl final : public MonitorPowerControl {
public:
    explicit XDpmsPowerControl(Display* display) : display_(display) {}
    std::optional<bool> PowerSavingEnabled() override;
    void SetPowerSavingEnabled(bool enabled) override;

private:
    Display* display_;
};

}  // namespace skyloom
