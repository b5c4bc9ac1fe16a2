#pragma once

// The picture of the desktop the saver opens on, taken before the saver
// covers the screen and kept for the desktop fade (StoreDesktopPicture).
// Taken only when the saver asks for it: whether the fade is wanted is the
// saver's to say.

#include <cstdint>

namespace skyloom {

// Full screen and window mode: reads the area (x, y, width, height), in
// root-window coordinates, as the screen shows it now, and keeps it for the
// desktop fade. Call it before the saver maps its own windows: afterwards
// the area shows the saver's black window. Parts of the area beyond the
// screen stay black. Needs the saver's display; returns false when the area
// cannot be read.
bool CaptureScreenArea(int32_t x, int32_t y, int32_t width, int32_t height);

// Under XScreenSaver (-root): the screenshot the daemon keeps as a pixmap in
// the _SCREENSAVER_SCREENSHOT property of the saver's window, cropped to that
// window's area on the screen. Only when the user lets screen savers show
// the desktop (grabDesktopImages in ~/.xscreensaver): on a locked screen the
// picture would reveal what was left on it. False, keeping nothing, when not
// allowed or not available.
bool CaptureDaemonScreenshot(uint32_t window);

// Whether the XScreenSaver settings file at path sets grabDesktopImages to
// a true value (True, Yes, On or 1, in any case); false without the file or
// the line, as the daemon's packaged default is False.
bool DaemonAllowsDesktopGrab(const char* path);

}  // namespace skyloom
