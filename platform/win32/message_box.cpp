#include "platform/win32/message_box.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace skyloom::win32 {

namespace {

std::wstring Widened(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0) {
        return L"";
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

}  // namespace

void ShowMessageBox(const char* text, MessageKind kind) {
    std::fprintf(stderr, "Skyloom: %s\n", text);
    std::fflush(stderr);
    const UINT icon = kind == MessageKind::Error ? MB_ICONERROR : MB_ICONWARNING;
    MessageBoxW(nullptr, Widened(text).c_str(), L"Skyloom", MB_OK | icon | MB_TOPMOST | MB_SETFOREGROUND);
}

}  // namespace skyloom::win32
