#include "platform/x11/x_monitor_power.h"

#include "platform/x11/x_connection.h"

#include <X11/extensions/dpms.h>

#include <cstdio>

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

XMonitorPowerControl::~XMonitorPowerControl() {
    if (switching_ != nullptr) {
        XCloseDisplay(switching_);
    }
}

void XMonitorPowerControl::SwitchOff() {
    // Also primes the DPMS extension's bookkeeping on this connection, so
    // that switching back on allocates nothing.
    dpmsSwitchedOff_ = DpmsEnabled(switching_);
    if (dpmsSwitchedOff_) {
        DPMSDisable(switching_);
    }
    Blanking& was = blankingSwitchedOff_;
    XGetScreenSaver(switching_, &was.timeout, &was.interval, &was.preferBlanking, &was.allowExposures);
    if (was.timeout > 0) {
        XSetScreenSaver(switching_, 0, was.interval, was.preferBlanking, was.allowExposures);
    }
    // Carried out once this returns: a flush alone leaves the request queued
    // behind other clients'.
    XSync(switching_, False);
}

void XMonitorPowerControl::SwitchBackOn() {
    if (dpmsSwitchedOff_) {
        DPMSEnable(switching_);
    }
    dpmsSwitchedOff_ = false;
    const Blanking& was = blankingSwitchedOff_;
    if (was.timeout > 0) {
        XSetScreenSaver(switching_, was.timeout, was.interval, was.preferBlanking, was.allowExposures);
    }
    blankingSwitchedOff_ = Blanking{};
    // After a crash, a hang or a lost connection nothing may wait for a
    // server that perhaps no longer answers: the flushed requests stand.
    if (DisplayLost()) {
        XFlush(switching_);
    } else {
        XSync(switching_, False);
    }
}

void XMonitorPowerControl::SetPowerSavingEnabled(bool enabled) {
    if (!enabled) {
        if (switching_ == nullptr) {
            switching_ = XOpenDisplay(displayName_.c_str());
        }
        if (switching_ == nullptr) {
            std::fprintf(stderr, "Skyloom: no second connection to the X display; monitor power saving stays on.\n");
            return;
        }
        SwitchOff();
        return;
    }
    if (switching_ == nullptr) {
        return;
    }
    SwitchBackOn();
    // After a crash, a hang or a lost connection the process is ending:
    // closing would free memory, and the allocator's lock may be the one
    // the crash left held. The server carries out what was flushed.
    if (!DisplayLost()) {
        XCloseDisplay(switching_);
        switching_ = nullptr;
    }
}

}  // namespace skyloom
