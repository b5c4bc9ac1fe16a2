#pragma once

#include "saver/screen_geometry.h"

#include <X11/Xlib.h>

#include <vector>

namespace skyloom {

// The screen's monitors from XRandR, in its order; empty without RandR 1.5.
std::vector<MonitorInfo> QueryMonitors(Display* display, Window root);

// Asks for RandR's screen change events on root. The event type they
// arrive as, or -1 without RandR (the screen then never changes size).
int WatchScreenChanges(Display* display, Window root);
// Brings Xlib's screen size (DisplayWidth, DisplayHeight) up to date with
// such an event.
void ApplyScreenChange(XEvent& event);

// The fastest refresh rate among the screen's active CRTCs, or 60 when
// RandR cannot tell.
double QueryRefreshRate(Display* display, Window root);

}  // namespace skyloom
