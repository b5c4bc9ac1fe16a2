#pragma once

// The picture of the desktop the saver opens on, taken by the platform layer
// before the saver covers the screen. No window-system types here: the
// desktop fade reads the picture through these functions.

#include <cstdint>
#include <vector>

namespace skyloom {

// 24-bit rows of blue, green, red, the bottom row first, each row padded to
// a multiple of 4 bytes: the layout of a device-independent bitmap.
struct DesktopPicture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowStride = 0;
    std::vector<uint8_t> bgr;
};

// width * 3 rounded up to a multiple of 4.
int32_t DesktopRowStride(int32_t width);

// Full screen and window mode: reads the area (x, y, width, height), in
// root-window coordinates, as the screen shows it now, and keeps it for the
// desktop fade. Call it before the saver maps its own windows: afterwards
// the area shows the saver's black window. Parts of the area beyond the
// screen stay black. Needs the saver's display; does nothing and returns
// false when the desktop fade is not requested or the area cannot be read.
bool CaptureScreenArea(int32_t x, int32_t y, int32_t width, int32_t height);

// Under XScreenSaver (-root): the screenshot the daemon keeps as a pixmap in
// the _SCREENSAVER_SCREENSHOT property of the saver's window, cropped to that
// window's area on the screen. Only when the user lets screen savers show
// the desktop (grabDesktopImages in ~/.xscreensaver): on a locked screen the
// picture would reveal what was left on it. False, keeping nothing, when not
// allowed, not requested or not available.
bool CaptureDaemonScreenshot(uint32_t window);

// Whether the XScreenSaver settings file at path sets grabDesktopImages to
// a true value (True, Yes, On or 1, in any case); false without the file or
// the line, as the daemon's packaged default is False.
bool DaemonAllowsDesktopGrab(const char* path);

// Replaces the kept picture.
void StoreDesktopPicture(DesktopPicture picture);
bool HasDesktopPicture();
// Hands the kept picture over (empty when none) and keeps nothing.
DesktopPicture TakeDesktopPicture();
void DiscardDesktopPicture();

}  // namespace skyloom
