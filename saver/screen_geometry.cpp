#include "saver/screen_geometry.h"

namespace skyloom {

ScreenRect ChooseGlWindowRect(bool fullScreen, const std::vector<MonitorInfo>& monitors, bool primaryOnly,
                              const ScreenRect& saverClient) {
    if (!fullScreen || !primaryOnly || monitors.size() <= 1) {
        return saverClient;
    }
    const MonitorInfo* chosen = &monitors.front();
    for (const MonitorInfo& monitor : monitors) {
        if (monitor.primary) {
            chosen = &monitor;
            break;
        }
    }
    // The saver window sits at the screen's origin, so a monitor's screen
    // rectangle is also its place inside the saver window.
    return chosen->rect;
}

}  // namespace skyloom
