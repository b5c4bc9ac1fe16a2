#pragma once

#include <windows.h>

namespace skyloom::win32 {

// The framework's default handling of what reaches the saver's windows and
// is no event of the saver's: in full screen the cursor stays hidden and
// losing activation closes the saver; the rest is the system's.
LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace skyloom::win32
