#pragma once

#include "saver/screen_geometry.h"

#include <vector>

namespace skyloom::win32 {

// The display's monitors, their rectangles relative to the virtual
// screen's top-left corner, where the full-screen saver window starts.
std::vector<MonitorInfo> QueryMonitors();

}  // namespace skyloom::win32
