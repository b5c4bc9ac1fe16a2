#pragma once

// Texts into and out of the pages' controls. The language tables hold
// UTF-8, shown through the wide calls so that every language reads right;
// file names stay in the ANSI code page, as the settings store them.

#include "config/dialog_controls.h"

#include <windows.h>

#include <string>

namespace skyloom::win32 {

std::wstring WideFromUtf8(const char* utf8);
std::string Utf8FromWide(const wchar_t* wide);

void SetControlText(HWND page, int id, const char* utf8);
// The control's key's text in the current language.
void PutKeyText(HWND page, const TextControl& control);

}  // namespace skyloom::win32
