#pragma once

// The dialog procedures of the sheet's pages, in page order.

#include <windows.h>

namespace skyloom::win32 {

INT_PTR CALLBACK IntroPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ControlsPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MusicPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace skyloom::win32
