#pragma once

#include "saver/monitor_power.h"

#include <X11/Xlib.h>

#include <string>

namespace skyloom {

// Monitor power saving on X: the DPMS extension (one switch for standby,
// suspend and off alike) and the server's own screen blanking, which would
// otherwise black out the flight after its timeout. Switched off, each is
// remembered as it was and only what was on is switched back on.
class XMonitorPowerControl final : public MonitorPowerControl {
public:
    explicit XMonitorPowerControl(Display* display) : display_(display), displayName_(DisplayString(display)) {}
    std::optional<bool> PowerSavingEnabled() override;
    // After the saver's connection was lost, through a fresh one to a
    // local server that is still up (see the source).
    void SetPowerSavingEnabled(bool enabled) override;

private:
    struct Blanking {
        int timeout = 0;
        int interval = 0;
        int preferBlanking = 0;
        int allowExposures = 0;
    };

    void Switch(Display* display, bool enabled);

    Display* display_;
    std::string displayName_;
    bool dpmsSwitchedOff_ = false;
    // The blanking as it was when switched off; timeout 0 when it was off.
    Blanking blankingSwitchedOff_;
};

}  // namespace skyloom
