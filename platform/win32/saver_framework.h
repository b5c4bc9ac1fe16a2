#pragma once

// The Windows screen-saver framework's runs: each makes the saver window
// for its mode, runs the message loop until the windows are gone and
// returns the process exit code.

#include <windows.h>

namespace skyloom {

// /s: over the whole virtual screen. A saver already running is brought to
// the front instead, and this one returns 0 at once.
int RunFullScreenSaver(HINSTANCE instance, bool showFrameRate);

// /p: in the settings program's preview window, until that window goes.
int RunPreviewSaver(HINSTANCE instance, HWND parent, bool showFrameRate);

}  // namespace skyloom
