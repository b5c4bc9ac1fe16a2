#pragma once

// The saver on an X11 display, one run per mode. Each needs the X11 host
// (X11SaverHost) installed and returns the process exit code: 0 done, 1 the
// saver could not run, 2 a window id that names no window.

#include <cstdint>
#include <optional>

namespace skyloom {

// /s: over the whole screen, ended by input.
int RunFullScreenSaver(bool showFrameRate);
// -window: an ordinary desktop window.
int RunWindowSaver(bool showFrameRate);
// /p ID, -window-id ID: inside another program's window.
int RunPreviewSaver(uint32_t window, bool showFrameRate);
// -root: in the window a screen-saver daemon names, else on the root window.
int RunRootSaver(std::optional<uint32_t> window, bool showFrameRate);

}  // namespace skyloom
