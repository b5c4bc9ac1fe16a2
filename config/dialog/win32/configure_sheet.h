#pragma once

// The property sheet of the configuration window and what its three pages
// share.

#include <windows.h>

namespace skyloom::win32 {

// Runs the sheet modally on the page CurrentConfigureSheet names; returns
// when it is closed.
void ShowConfigureSheet(HINSTANCE module);

// The sheet's window once it exists, else null.
HWND ConfigureSheetWindow();

// Writes the current texts of the three titles into the sheet's tabs;
// nothing before the sheet exists.
void SetPageTitles();

// The notifications every page answers alike: on activation the page's
// index is stored and its texts put again (a language chosen meanwhile
// shows), Help opens the help page. True when the notification was one of
// them; every other keeps its default result.
bool HandlePageNotification(HWND page, const NMHDR& header, int pageIndex, void (*putTexts)(HWND page));

}  // namespace skyloom::win32
