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

void XDpmsPowerControl::SetPowerSavingEnabled(bool enabled) {
    // Also runs from the emergency teardown, possibly after the server left.
    if (DisplayLost()) {
        return;
    }
    if (enabled) {
        DPMSEnable(display_);
    } else {
        DPMSDisable(display_);
    }
    XFlush(display_);
}

}  // namespace skyloom
