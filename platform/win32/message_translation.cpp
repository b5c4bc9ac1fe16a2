#include "platform/win32/message_translation.h"

#include <windowsx.h>

namespace skyloom::win32 {

namespace {

WindowEvent SizeEvent(WindowMessage message, LPARAM lParam) {
    WindowEvent event{message};
    event.width = LOWORD(lParam);
    event.height = HIWORD(lParam);
    return event;
}

WindowEvent MoveEvent(HWND window, LPARAM lParam) {
    POINT where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &where);
    WindowEvent event{WindowMessage::MouseMove};
    event.x = where.x;
    event.y = where.y;
    return event;
}

}  // namespace

std::optional<WindowEvent> EventForMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // A minimised window has no area to draw in.
        if (wParam == SIZE_MINIMIZED || LOWORD(lParam) == 0 || HIWORD(lParam) == 0) {
            return std::nullopt;
        }
        return SizeEvent(WindowMessage::Size, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // The saver's key codes are the virtual-key codes.
        WindowEvent event{WindowMessage::KeyDown};
        event.key = wParam <= 0xFF ? static_cast<uint32_t>(wParam) : kKeyOther;
        return event;
    }
    case WM_MOUSEMOVE:
        return MoveEvent(window, lParam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        return WindowEvent{WindowMessage::MouseButton};
    case WM_CLOSE:
        return WindowEvent{WindowMessage::Close};
    case WM_DESTROY:
        return WindowEvent{WindowMessage::Destroy};
    default:
        return std::nullopt;
    }
}

}  // namespace skyloom::win32
