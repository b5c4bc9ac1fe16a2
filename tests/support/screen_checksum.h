#pragma once

// As Xlib declares it; its header defines macros that clash with gtest's.
typedef struct _XDisplay Display;

namespace skyloom::testing {

// A checksum of what the whole screen shows (every second pixel of every
// second row), to tell whether anything drew since; 0 when it cannot be read.
unsigned long ScreenChecksum(Display* display);

}  // namespace skyloom::testing
