#pragma once

// The GL window the saver draws in: full screen, a pop-up owned by the saver
// window (over all of it or over the primary monitor); in a preview, a child
// filling the saver window.

#include "saver/screen_geometry.h"

#include <windows.h>

namespace skyloom::win32 {

inline constexpr wchar_t kGlWindowClass[] = L"Skyloom";

// The GL window's procedure: the context is made on its creation, each
// paint draws one frame and asks for the next.
LRESULT CALLBACK GlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the GL window at rect (inside the saver window's client area),
// its context current, after the saver's GlWindowProc had Create and Size.
// With desktopPictureWanted the area is read first, for the desktop fade.
// Failures end the process through CheckApiResult.
void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted);

void MoveGlWindow(const ScreenRect& rect);

// Destroys the GL window (the saver's teardown of it runs); does nothing
// when there is none.
void DestroyGlWindow();

}  // namespace skyloom::win32
