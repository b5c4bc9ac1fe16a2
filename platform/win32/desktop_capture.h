#pragma once

#include <cstdint>

namespace skyloom::win32 {

// Reads the screen area (x, y, width, height), in screen pixels, as it shows
// now and keeps it for the desktop fade. Call it before the saver's windows
// show. False, keeping nothing, when the area cannot be read.
bool CaptureScreenArea(int32_t x, int32_t y, int32_t width, int32_t height);

}  // namespace skyloom::win32
