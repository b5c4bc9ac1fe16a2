#pragma once

#include "saver/monitor_power.h"

#include <X11/Xlib.h>

#include <string>

namespace skyloom {

// Monitor power management through the X DPMS extension. One switch covers
// standby, suspend and off alike.
class XDpmsPowerControl final : public MonitorPowerControl {
public:
    explicit XDpmsPowerControl(Display* display) : display_(display), displayName_(DisplayString(display)) {}
    std::optional<bool> PowerSavingEnabled() override;
    // After the saver's connection was lost, through a fresh one to a
    // local server that is still up (see the source).
    void SetPowerSavingEnabled(bool enabled) override;

private:
    Display* display_;
    std::string displayName_;
};

}  // namespace skyloom
