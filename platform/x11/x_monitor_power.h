#pragma once

#include "saver/monitor_power.h"

#include <X11/Xlib.h>

#include <string>

namespace skyloom {

// Monitor power saving on X: the DPMS extension (one switch for standby,
// suspend and off alike) and the server's own screen blanking, which would
// otherwise black out the flight after its timeout. Switched off, each is
// remembered as it was and only what was on is switched back on.
//
// The switching goes through a connection of its own, opened when power
// saving is switched off and used by nothing else. Switching back on then
// works after the saver's connection was lost or killed (the settings
// belong to the server and outlive it), and from a crash handler or the
// hung-frame watchdog: it takes no lock the crash could have left held and
// allocates nothing.
class XMonitorPowerControl final : public MonitorPowerControl {
public:
    explicit XMonitorPowerControl(Display* display) : display_(display), displayName_(DisplayString(display)) {}
    ~XMonitorPowerControl() override;
    XMonitorPowerControl(const XMonitorPowerControl&) = delete;
    XMonitorPowerControl& operator=(const XMonitorPowerControl&) = delete;
    std::optional<bool> PowerSavingEnabled() override;
    void SetPowerSavingEnabled(bool enabled) override;

private:
    struct Blanking {
        int timeout = 0;
        int interval = 0;
        int preferBlanking = 0;
        int allowExposures = 0;
    };

    void SwitchOff();
    void SwitchBackOn();

    Display* display_;
    std::string displayName_;
    // The switching connection while power saving is held off.
    Display* switching_ = nullptr;
    bool dpmsSwitchedOff_ = false;
    // The blanking as it was when switched off; timeout 0 when it was off.
    Blanking blankingSwitchedOff_;
};

}  // namespace skyloom
