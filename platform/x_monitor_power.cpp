#include "platform/x_monitor_power.h"

#include "platform/x_connection.h"

#include <X11/extensions/dpms.h>

namespace skyloom {

namespace {

bool HasDpms(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    return DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display);
}

bool DpmsEnabled(Display* display) {
    CARD16 level = 0;
    BOOL enabled = False;
    return HasDpms(display) && DPMSInfo(display, &level, &enabled) && enabled != False;
}

// A local server answers or refuses a connection at once; a remote one
// could hold the saver's exit for a network timeout.
bool IsLocalDisplayName(const std::string& name) { return name.starts_with(':') || name.starts_with("unix:"); }

}  // namespace

std::optional<bool> XMonitorPowerControl::PowerSavingEnabled() {
    if (DisplayLost()) {
        return std::nullopt;
    }
    int timeout = 0;
    int interval = 0;
    int preferBlanking = 0;
    int allowExposures = 0;
    XGetScreenSaver(display_, &timeout, &interval, &preferBlanking, &allowExposures);
    return timeout > 0 || DpmsEnabled(display_);
}

void XMonitorPowerControl::Switch(Display* display, bool enabled) {
    if (!enabled) {
        dpmsSwitchedOff_ = DpmsEnabled(display);
        if (dpmsSwitchedOff_) {
            DPMSDisable(display);
        }
        Blanking& was = blankingSwitchedOff_;
        XGetScreenSaver(display, &was.timeout, &was.interval, &was.preferBlanking, &was.allowExposures);
        if (was.timeout > 0) {
            XSetScreenSaver(display, 0, was.interval, was.preferBlanking, was.allowExposures);
        }
        return;
    }
    if (dpmsSwitchedOff_ && HasDpms(display)) {
        DPMSEnable(display);
    }
    dpmsSwitchedOff_ = false;
    const Blanking& was = blankingSwitchedOff_;
    if (was.timeout > 0) {
        XSetScreenSaver(display, was.timeout, was.interval, was.preferBlanking, was.allowExposures);
    }
    blankingSwitchedOff_ = Blanking{};
}

void XMonitorPowerControl::SetPowerSavingEnabled(bool enabled) {
    if (!DisplayLost()) {
        Switch(display_, enabled);
        XFlush(display_);
        return;
    }
    // Also runs from the emergency teardown after the connection was lost.
    // The settings belong to the server, not to the connection: when only
    // the connection went (xkill, XKillClient) power saving would stay off
    // for good unless a new connection switches it back. A server that has
    // gone refuses the connection and took the settings with it.
    if (!IsLocalDisplayName(displayName_)) {
        return;
    }
    Display* fresh = XOpenDisplay(displayName_.c_str());
    if (fresh == nullptr) {
        return;
    }
    Switch(fresh, enabled);
    XCloseDisplay(fresh);
}

}  // namespace skyloom
