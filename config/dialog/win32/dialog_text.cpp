#include "config/dialog/win32/dialog_text.h"

namespace skyloom::win32 {

std::wstring WideFromUtf8(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

std::string Utf8FromWide(const wchar_t* wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(length) - 1);
    return utf8;
}

void SetControlText(HWND page, int id, const char* utf8) { SetDlgItemTextW(page, id, WideFromUtf8(utf8).c_str()); }

void PutKeyText(HWND page, const TextControl& control) {
    SetControlText(page, control.control.id, GetText(control.key));
}

}  // namespace skyloom::win32
