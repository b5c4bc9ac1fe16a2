#include "platform/win32/desktop_capture.h"

#include "objects/desktop_fade.h"

#include <windows.h>

#include <utility>

namespace skyloom::win32 {

namespace {

// Copies the area into a bitmap of the screen's format, then reads that as
// 24-bit bottom-up rows, the picture's own layout.
bool ReadArea(HDC screen, int32_t x, int32_t y, DesktopPicture& picture) {
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.width, picture.height);
    if (memory == nullptr || bitmap == nullptr) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        if (memory != nullptr) {
            DeleteDC(memory);
        }
        return false;
    }
    HGDIOBJ previous = SelectObject(memory, bitmap);
    bool read = BitBlt(memory, 0, 0, picture.width, picture.height, screen, x, y, SRCCOPY) != FALSE;
    SelectObject(memory, previous);
    if (read) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = picture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        read = GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.bgr.data(), &info,
                         DIB_RGB_COLORS) == picture.height;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    return read;
}

}  // namespace

bool CaptureScreenArea(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    DesktopPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rowStride = DesktopRowStride(width);
    picture.bgr.resize(static_cast<size_t>(picture.rowStride) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return false;
    }
    const bool read = ReadArea(screen, x, y, picture);
    ReleaseDC(nullptr, screen);
    if (read) {
        StoreDesktopPicture(std::move(picture));
    }
    return read;
}

}  // namespace skyloom::win32
