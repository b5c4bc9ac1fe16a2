#include "platform/win32/gl_window.h"

#include "platform/win32/default_saver_proc.h"
#include "platform/win32/desktop_capture.h"
#include "platform/win32/framework.h"
#include "platform/win32/message_translation.h"
#include "platform/win32/wgl_context.h"
#include "saver/api_result.h"
#include "saver/gl_window.h"
#include "scene/render_size.h"

namespace skyloom::win32 {

namespace {

// The saver's Create runs once the context is current. The system's own
// generic renderer lowers the detail as a software renderer does.
void CreateContext(HWND window) {
    const bool genericSoftware = CreateWglContext(window);
    skyloom::GlWindowProc(WindowEvent{WindowMessage::Create});
    if (genericSoftware) {
        SetHardwareAccelerated(false);
    }
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    skyloom::GlWindowProc(WindowEvent{WindowMessage::Paint});
    EndPaint(window, &paint);
    // The next frame follows as soon as the queue is free; the swap paces it.
    InvalidateRect(window, nullptr, FALSE);
}

void SendSize(HWND window, LPARAM lParam) {
    if (const std::optional<WindowEvent> event = EventForMessage(window, WM_SIZE, SIZE_RESTORED, lParam)) {
        skyloom::GlWindowProc(*event);
        InvalidateRect(window, nullptr, FALSE);
    }
}

bool FillsSaverWindow(const ScreenRect& rect) {
    RECT client{};
    GetClientRect(fw.saverWindow, &client);
    return rect == ScreenRect{0, 0, client.right, client.bottom};
}

POINT ScreenPoint(const ScreenRect& rect) { return POINT{fw.saverOrigin.x + rect.x, fw.saverOrigin.y + rect.y}; }

}  // namespace

LRESULT CALLBACK GlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        fw.glWindow = window;
        return 0;
    case WM_SIZE:
        if (window == fw.glWindow && fw.glContext != nullptr) {
            SendSize(window, lParam);
        }
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_DESTROY:
        if (fw.glContext != nullptr) {
            skyloom::GlWindowProc(WindowEvent{WindowMessage::Destroy});
        }
        return 0;
    default:
        break;
    }
    if (const std::optional<WindowEvent> event = EventForMessage(window, message, wParam, lParam)) {
        return skyloom::GlWindowProc(*event);
    }
    return DefScreenSaverProc(window, message, wParam, lParam);
}

void CreateGlWindow(const ScreenRect& rect, bool desktopPictureWanted) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = GlWindowProc;
    windowClass.hInstance = fw.instance;
    windowClass.lpszClassName = kGlWindowClass;
    CheckApiResult(RegisterClassW(&windowClass), 0, "RegisterClass", GetLastError());

    const POINT onScreen = ScreenPoint(rect);
    if (desktopPictureWanted) {
        CaptureScreenArea(onScreen.x, onScreen.y, rect.width, rect.height);
    }
    // Full screen, the GL window is a pop-up owned by the saver window, over
    // the primary monitor alone or over all of the saver window: Wine's X11
    // driver never shows what GL draws in a child window, and on Windows the
    // owned pop-up looks the same. A pop-up takes screen coordinates, a child
    // (the preview) its parent's client ones.
    fw.glWindowIsPopup = fw.mode == SaverMode::FullScreen || !FillsSaverWindow(rect);
    const DWORD style = fw.glWindowIsPopup ? WS_POPUP | WS_VISIBLE
                                           : WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    const POINT at = fw.glWindowIsPopup ? onScreen : POINT{rect.x, rect.y};
    HWND window = CreateWindowExW(fw.glWindowIsPopup ? WS_EX_NOACTIVATE : 0, kGlWindowClass, kGlWindowClass, style, at.x, at.y, rect.width, rect.height,
                                  fw.saverWindow, nullptr, fw.instance, nullptr);
    CheckApiResult(reinterpret_cast<intptr_t>(window), 0, "CreateWindow", GetLastError());
    // The pixel format is set once the window shows: Wine gives a window
    // that has none on the screen yet a drawable that never reaches it.
    CreateContext(window);
    SendSize(window, MAKELPARAM(rect.width, rect.height));
}

void MoveGlWindow(const ScreenRect& rect) {
    if (fw.glWindow == nullptr) {
        return;
    }
    const POINT at = fw.glWindowIsPopup ? ScreenPoint(rect) : POINT{rect.x, rect.y};
    MoveWindow(fw.glWindow, at.x, at.y, rect.width, rect.height, FALSE);
}

void DestroyGlWindow() {
    HWND window = fw.glWindow;
    if (window == nullptr) {
        return;
    }
    DestroyWindow(window);
    fw.glWindow = nullptr;
}

}  // namespace skyloom::win32
