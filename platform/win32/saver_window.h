#pragma once

// The saver window: the top-most pop-up over the virtual screen in full
// screen, a child filling the settings program's preview area in preview.

#include <windows.h>

namespace skyloom::win32 {

inline constexpr wchar_t kSaverWindowClass[] = L"WindowsScreenSaverClass";

// The saver window's procedure: the saver's events go to the saver's
// ScreenSaverProc, the rest to DefScreenSaverProc.
LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the full-screen saver window, hidden; its Create starts the saver.
// Null when the saver refused it or it could not be made.
HWND CreateFullScreenWindow();

// Creates the preview's child window in the parent's client area, hidden.
HWND CreatePreviewWindow(HWND parent);

// Brings a running full-screen saver's window to the front; false when
// there is none.
bool RaiseRunningSaver();

// Destroys the GL window, then the saver window, and ends the message loop.
void DestroySaverWindows();

}  // namespace skyloom::win32
