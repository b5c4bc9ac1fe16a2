#pragma once

// The GL window's pixel format and rendering context through WGL.

#include <windows.h>

namespace skyloom::win32 {

// Takes the window's device context, sets the saver's pixel format (double
// buffered RGBA of the display's colour depth, 32 depth bits) and makes a
// new rendering context current, into fw. Each failing call ends the
// process through CheckApiResult. Returns whether the format is a generic
// one without acceleration (the system's software renderer).
bool CreateWglContext(HWND window);

// Makes no context current, deletes the context and releases the device
// context. Does nothing when none exists.
void ReleaseWglContext();

void SwapWglBuffers();

// wglSwapIntervalEXT(0) when the driver lists WGL_EXT_swap_control.
bool DisableWglSwapInterval();

}  // namespace skyloom::win32
