// The configuration window's way in: the framework opens the invisible
// doorway dialog, whose procedure keeps to one configuration window and
// runs the property sheet.

#include "config/configure_sheet_entry.h"
#include "config/dialog/win32/configure_sheet.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace skyloom {

namespace win32 {

namespace {

constexpr int kDoorwayTemplate = 2003;
constexpr wchar_t kSheetCaption[] = L" Skyloom";

struct DoorwayState {
    HANDLE mutex = nullptr;
};
DoorwayState doorway;

HANDLE CreateInstanceMutex() {
    char name[500];
    std::snprintf(name, sizeof name, "Quillmere %s Mutex", "Skyloom");
    // Read right after: only this call may leave an error behind.
    SetLastError(ERROR_SUCCESS);
    return CreateMutexA(nullptr, FALSE, name);
}

// The window already open is the one the user wants to see.
void BringOpenSheetToFront() {
    HWND sheet = FindWindowW(L"#32770", kSheetCaption);
    if (sheet == nullptr) {
        return;
    }
    if (IsIconic(sheet)) {
        ShowWindow(sheet, SW_RESTORE);
    }
    SetForegroundWindow(sheet);
}

void InitCommonControlsForSheet() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
}

}  // namespace

INT_PTR CALLBACK ScreenSaverConfigureDialog(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        doorway.mutex = CreateInstanceMutex();
        // Any error, notably that the mutex exists: another configuration
        // window is open, and this process shows nothing.
        if (doorway.mutex == nullptr || GetLastError() != ERROR_SUCCESS) {
            BringOpenSheetToFront();
            EndDialog(window, 1);
            return TRUE;
        }
        InitCommonControlsForSheet();
        // Ended before it is ever shown; the sheet runs in its place.
        EndDialog(window, 1);
        ShowConfigureSheet(GetModuleHandleW(nullptr));
        return TRUE;
    case WM_DESTROY:
        if (doorway.mutex != nullptr) {
            CloseHandle(doorway.mutex);
            doorway.mutex = nullptr;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace win32

int RunConfigurationSheet() {
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(win32::kDoorwayTemplate),
                                           nullptr, win32::ScreenSaverConfigureDialog, 0);
    return result == -1 ? 1 : 0;
}

}  // namespace skyloom
