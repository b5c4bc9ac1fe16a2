#pragma once

// What the screen-saver framework (the platform layer) offers the program's
// window procedures. No window-system types: the saver side sees only these.

#include "saver/monitor_power.h"
#include "saver/screen_geometry.h"
#include "saver/window_message.h"

#include <vector>

namespace skyloom {

SaverMode CurrentSaverMode();

// The display's monitors; empty when the display cannot list them.
std::vector<MonitorInfo> ListMonitors();

// Colour depth in bits of the saver window's visual.
int32_t SaverWindowColorBits();

// Creates the GL window at rect inside the saver window with its rendering
// context made current, then sends GlWindowProc Create and Size. Failures
// end the process through CheckApiResult.
void CreateGlWindow(const ScreenRect& rect);

// Moves and sizes the GL window inside the saver window; its procedure
// gets Size when the size changed.
void MoveGlWindow(const ScreenRect& rect);

// Queues a Close for the saver window: the saver ends through the orderly
// teardown once the current message is handled.
void PostCloseMessage();

// Sends Destroy to the GL window and the saver window, destroys both and
// ends the message loop.
void DestroySaverWindow();

// Shows the frame just drawn.
void SwapGlBuffers();

// Makes no context current and deletes the rendering context.
void ReleaseGlContext();

// Sets the swap interval to 0 where the driver lists a way to; false when
// it offers none (the driver's default stays).
bool DisableSwapInterval();

// True when the user asked to treat a software renderer as accelerated
// (SKYLOOM_ASSUME_ACCELERATED=1, or the host's ForceAcceleratedRendering).
bool AcceleratedRenderingForced();
void ForceAcceleratedRendering(bool forced);

// A drawing surface without a window: the offscreen renderer installs one so
// the GL window's procedure runs unchanged on it. While installed,
// CurrentSaverMode is Render, SwapGlBuffers and ReleaseGlContext call its
// functions and DisableSwapInterval has nothing to do.
struct OffscreenSurface {
    void (*swap)() = nullptr;
    void (*release)() = nullptr;
};
// nullptr goes back to the X11 window.
void InstallOffscreenSurface(const OffscreenSurface* surface);

// The display's monitor power management.
MonitorPowerControl& DisplayMonitorPower();

// Starts "skyloom /c" (this very program) detached; failures are ignored.
void OpenConfigurationDetached();

}  // namespace skyloom
