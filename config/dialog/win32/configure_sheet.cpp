#include "config/dialog/win32/configure_sheet.h"

#include "config/dialog/win32/dialog_text.h"
#include "config/dialog/win32/pages.h"
#include "config/dialog/win32/shell_open.h"
#include "config/dialog_controls.h"
#include "settings/settings.h"

#include <commctrl.h>

#include <string>

namespace skyloom::win32 {

namespace {

constexpr int kProgramIcon = 107;
// OK's place in the button row, left of where the system put it.
constexpr int kOkShift = 106;

constexpr DLGPROC kPageProcedures[kDialogPageCount] = {IntroPage, ControlsPage, MusicPage};

HWND sheetWindow = nullptr;

// Once, when the sheet is made: comctl32 6 also calls back for each button
// pressed, which must not move OK again.
int CALLBACK ConfigureSheetCallback(HWND window, UINT message, LPARAM) {
    if (window == nullptr || message != PSCB_INITIALIZED) {
        return 0;
    }
    const auto icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIcon));
    PostMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    sheetWindow = window;
    // Every change is stored at once: there is nothing to cancel.
    if (HWND cancel = GetDlgItem(window, IDCANCEL)) {
        EnableWindow(cancel, FALSE);
        ShowWindow(cancel, SW_HIDE);
    }
    if (HWND ok = GetDlgItem(window, IDOK)) {
        RECT area;
        GetWindowRect(ok, &area);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
        SetWindowPos(ok, nullptr, area.left - kOkShift, area.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

// A stored index past the last page was set back to 0 at start-up; a
// negative one opens the first page.
UINT StartPage() {
    const int stored = CurrentConfigureSheet.Get();
    return stored >= 0 && stored < kDialogPageCount ? static_cast<UINT>(stored) : 0;
}

}  // namespace

void ShowConfigureSheet(HINSTANCE module) {
    std::wstring titles[kDialogPageCount];
    PROPSHEETPAGEW pages[kDialogPageCount] = {};
    for (int index = 0; index < kDialogPageCount; ++index) {
        titles[index] = WideFromUtf8(GetText(kDialogPages[index].title));
        PROPSHEETPAGEW& page = pages[index];
        page.dwSize = sizeof page;
        page.dwFlags = PSP_USETITLE | PSP_HASHELP;
        page.hInstance = module;
        page.pszTemplate = MAKEINTRESOURCEW(kDialogPages[index].dialog.id);
        page.pszTitle = titles[index].c_str();
        page.pfnDlgProc = kPageProcedures[index];
    }
    PROPSHEETHEADERW sheet = {};
    sheet.dwSize = sizeof sheet;
    sheet.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_HASHELP | PSH_USEICONID;
    sheet.hwndParent = nullptr;
    sheet.hInstance = module;
    sheet.pszIcon = MAKEINTRESOURCEW(kProgramIcon);
    sheet.pszCaption = L" Skyloom";
    sheet.nPages = kDialogPageCount;
    sheet.nStartPage = StartPage();
    sheet.ppsp = pages;
    sheet.pfnCallback = ConfigureSheetCallback;
    PropertySheetW(&sheet);
    sheetWindow = nullptr;
}

HWND ConfigureSheetWindow() { return sheetWindow; }

void SetPageTitles() {
    if (sheetWindow == nullptr) {
        return;
    }
    HWND tabs = PropSheet_GetTabControl(sheetWindow);
    for (int index = 0; index < kDialogPageCount; ++index) {
        std::wstring title = WideFromUtf8(GetText(kDialogPages[index].title));
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tabs, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
}

bool HandlePageNotification(HWND page, const NMHDR& header, int pageIndex, void (*putTexts)(HWND page)) {
    switch (header.code) {
    case PSN_SETACTIVE:
        CurrentConfigureSheet.Set(pageIndex);
        putTexts(page);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
        return true;
    case PSN_HELP:
        OpenHelp();
        return true;
    default:
        return false;
    }
}

}  // namespace skyloom::win32
