#pragma once

#include "saver/screen_geometry.h"

#include <X11/Xlib.h>

#include <vector>

namespace skyloom {

// The screen's monitors from XRandR, in its order; empty without RandR 1.5.
std::vector<MonitorInfo> QueryMonitors(Display* display, Window root);

// The fastest refresh rate among the screen's active CRTCs, or 60 when
// RandR cannot tell.
double QueryRefreshRate(Display* display, Window root);

}  // namespace skyloom
