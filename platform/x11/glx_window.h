#pragma once

// The GL window inside the saver window, and its GLX rendering context.

#include "saver/screen_geometry.h"

namespace skyloom::x11 {

// Creates the GL window at rect with its context made current, then sends
// GlWindowProc Create and Size. When desktopPictureWanted, first keeps what
// the screen shows there (full screen, window mode) or the daemon's
// screenshot (-root) for the desktop fade. Failures end the process through
// CheckApiResult.
void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted);

// Moves and sizes it; the ConfigureNotify that follows brings the Size.
void MoveGlWindow(const ScreenRect& rect);

void SwapGlBuffers();

// Makes no context current and deletes the context.
void ReleaseGlContext();

// Swap interval 0 through GLX_EXT_swap_control or GLX_MESA_swap_control;
// false when the driver lists neither or refuses.
bool DisableSwapInterval();

}  // namespace skyloom::x11
