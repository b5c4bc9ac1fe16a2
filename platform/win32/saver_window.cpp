#include "platform/win32/saver_window.h"

#include "platform/win32/default_saver_proc.h"
#include "platform/win32/framework.h"
#include "platform/win32/gl_window.h"
#include "platform/win32/message_translation.h"
#include "saver/entry.h"

namespace skyloom::win32 {

namespace {

bool RegisterSaverClass() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ScreenSaverProc;
    windowClass.hInstance = fw.instance;
    // What the GL window leaves uncovered (other monitors) stays black.
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kSaverWindowClass;
    return RegisterClassW(&windowClass) != 0;
}

// The saver's Create, with the client size; -1 refuses the window.
LRESULT StartSaver(HWND window) {
    fw.saverWindow = window;
    RECT client{};
    GetClientRect(window, &client);
    WindowEvent create{WindowMessage::Create};
    create.width = client.right;
    create.height = client.bottom;
    if (skyloom::ScreenSaverProc(create) != 0) {
        fw.saverWindow = nullptr;
        return -1;
    }
    return 0;
}

HWND CreateSaverWindow(DWORD exStyle, DWORD style, const RECT& rect, HWND parent) {
    if (!RegisterSaverClass()) {
        return nullptr;
    }
    fw.saverOrigin = POINT{rect.left, rect.top};
    if (parent != nullptr) {
        fw.saverOrigin = POINT{0, 0};
        ClientToScreen(parent, &fw.saverOrigin);
    }
    return CreateWindowExW(exStyle, kSaverWindowClass, L"Screen Saver", style, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, fw.instance, nullptr);
}

}  // namespace

LRESULT CALLBACK ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        return StartSaver(window);
    }
    if (window != fw.saverWindow) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_DESTROY) {
        // However it goes (closed, or the preview's parent destroyed): the
        // GL window's teardown first, then the saver's, then the loop ends.
        DestroyGlWindow();
        skyloom::ScreenSaverProc(WindowEvent{WindowMessage::Destroy});
        fw.saverWindow = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    if (const std::optional<WindowEvent> event = EventForMessage(window, message, wParam, lParam)) {
        return skyloom::ScreenSaverProc(*event);
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

HWND CreateFullScreenWindow() {
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return CreateSaverWindow(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, screen, nullptr);
}

HWND CreatePreviewWindow(HWND parent) {
    RECT area{};
    if (!GetClientRect(parent, &area)) {
        return nullptr;
    }
    return CreateSaverWindow(0, WS_CHILD | WS_CLIPCHILDREN, area, parent);
}

bool RaiseRunningSaver() {
    HWND running = FindWindowW(kSaverWindowClass, nullptr);
    if (running == nullptr) {
        return false;
    }
    SetForegroundWindow(running);
    return true;
}

void DestroySaverWindows() {
    DestroyGlWindow();
    if (fw.saverWindow != nullptr) {
        DestroyWindow(fw.saverWindow);
    } else {
        PostQuitMessage(0);
    }
}

}  // namespace skyloom::win32
