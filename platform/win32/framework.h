#pragma once

// What the Windows screen-saver framework keeps for its one run: the mode,
// the saver window and the GL window with its device and rendering contexts.

#include "saver/window_message.h"

#include <windows.h>

namespace skyloom::win32 {

struct Framework {
    HINSTANCE instance = nullptr;
    SaverMode mode = SaverMode::FullScreen;
    // Preview: the settings program's window the saver draws in.
    HWND previewParent = nullptr;
    HWND saverWindow = nullptr;
    HWND glWindow = nullptr;
    HDC glDc = nullptr;
    HGLRC glContext = nullptr;
    // The GL window is a pop-up owned by the saver window, not a child.
    bool glWindowIsPopup = false;
    // The saver window's top-left corner on the screen.
    POINT saverOrigin{0, 0};
};

extern Framework fw;

}  // namespace skyloom::win32
