#include "config/dialog/win32/shell_open.h"

#include "config/data_folder.h"
#include "os/executable_path.h"

#include <windows.h>

#include <string>

namespace skyloom::win32 {

namespace {

// Programs started for a page inherit the folder the program lives in.
void SetCurrentDirectoryToModule() {
    const std::string program = ExecutablePath();
    const size_t slash = program.find_last_of("\\/");
    if (slash != std::string::npos) {
        SetCurrentDirectoryA(program.substr(0, slash + 1).c_str());
    }
}

// Made absolute while the old current folder still holds: a relative
// AppDir names a folder from where the program was started.
std::string AbsolutePath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

}  // namespace

bool OpenWithShell(const char* target) {
    if (target == nullptr || target[0] == '\0') {
        return false;
    }
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // Handed over before returning: the sheet may be closed, and the
    // process gone, a moment later.
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = GetDesktopWindow();
    info.lpVerb = "open";
    info.lpFile = target;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&info) != FALSE;
}

void OpenDataPage(const char* fileName) {
    const std::string folder = DataFolder();
    if (folder.empty()) {
        MessageBeep(MB_OK);
        return;
    }
    const std::string page = AbsolutePath(folder + "\\" + fileName);
    SetCurrentDirectoryToModule();
    OpenWithShell(page.c_str());
}

void OpenHelp() { OpenDataPage("help.htm"); }

}  // namespace skyloom::win32
