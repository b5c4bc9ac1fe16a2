#include "platform/win32/default_saver_proc.h"

#include "platform/win32/framework.h"

namespace skyloom::win32 {

LRESULT DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (fw.mode == SaverMode::FullScreen) {
        switch (message) {
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_ACTIVATEAPP:
            // Another program came to the front: the user is back.
            if (wParam == FALSE && fw.saverWindow != nullptr) {
                PostMessageW(fw.saverWindow, WM_CLOSE, 0, 0);
            }
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace skyloom::win32
