#include "platform/x_dpms.h"

#include "platform/x_connection.h"

#include <X11/extensions/dpms.h>

namespace skyloom {

std::optional<bool> XDpmsPowerControl::PowerSavingEnabled() {
    int eventBase = 0;
    int errorBase = 0;
    if (DisplayLost() || !DPMSQueryExtension(display_, &eventBase, &errorBase) || !DPMSCapable(display_)) {
        return std::nullopt;
    }
    CARD16 level = 0;
    BOOL enabled = False;
    if (!DPMSInfo(display_, &level, &enabled)) {
        return std::nullopt;
    }
    return enabled != False;
}

namespace {
void SwitchPowerSaving(Display* display, bool enabled) {
    if (enabled) {
        DPMSEnable(display);
    } else {
        DPMSDisable(display);
    }
}

// A local server answers or refuses a connection at once; a remote one
// could hold the saver's exit for a network timeout.
bool IsLocalDisplayName(const std::string& name) { return name.starts_with(':') || name.starts_with("unix:"); }
}  // namespace

void XDpmsPowerControl::SetPowerSavingEnabled(bool enabled) {
    if (!DisplayLost()) {
        SwitchPowerSaving(display_, enabled);
        XFlush(display_);
        return;
    }
    // Also runs from the emergency teardown after the connection was lost.
    // The switch belongs to the server, not to the connection: when only
    // the connection went (xkill, XKillClient) power saving would stay off
    // for good unless a new connection switches it back. A server that has
    // gone refuses the connection and took the setting with it.
    if (!IsLocalDisplayName(displayName_)) {
        return;
    }
    Display* fresh = XOpenDisplay(displayName_.c_str());
    if (fresh == nullptr) {
        return;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (DPMSQueryExtension(fresh, &eventBase, &errorBase) && DPMSCapable(fresh)) {
        SwitchPowerSaving(fresh, enabled);
    }
    XCloseDisplay(fresh);
}

}  // namespace skyloom
