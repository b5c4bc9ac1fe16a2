#pragma once

#include <cstdint>
#include <vector>

namespace skyloom {

// A rectangle in screen pixels; x and y are its top-left corner.
struct ScreenRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const ScreenRect&) const = default;
};

struct MonitorInfo {
    ScreenRect rect;
    bool primary = false;
};

// Where the GL window goes inside the saver window. Full screen with more
// than one monitor and PrimaryMonitorOnly set, it covers the primary monitor
// alone (the first monitor when none is marked primary); otherwise, and
// whenever no monitor list is known, the whole client area.
ScreenRect ChooseGlWindowRect(bool fullScreen, const std::vector<MonitorInfo>& monitors, bool primaryOnly,
                              const ScreenRect& saverClient);

}  // namespace skyloom
