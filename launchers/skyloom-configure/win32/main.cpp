// skyloom-configure.exe: opens Skyloom's configuration from a Start-menu
// entry through the shell's "config" action on Skyloom.scr: the one in the
// system folder, where the installer puts it, else the one beside this
// program. Shows no window; arguments are ignored; the exit code is always 0.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr char kSaverFile[] = "Skyloom.scr";

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder part of a full path, with its trailing backslash; empty when
// there is none.
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SystemFolder() {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length) + "\\";
}

std::string ThisProgramsFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : FolderOf(std::string(path, length));
}

// The saver's full path, or its bare name for the shell to find on the
// current folder and the search path.
std::string SaverPath() {
    for (const std::string& folder : {SystemFolder(), ThisProgramsFolder()}) {
        if (!folder.empty() && IsFile(folder + kSaverFile)) {
            return folder + kSaverFile;
        }
    }
    return kSaverFile;
}

// Where the shell has no "config" action for screen savers (Wine), the
// saver's own configuration switch does the same.
void StartWithConfigureSwitch(const std::string& saver) {
    std::string commandLine = "\"" + saver + "\" /c";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string saver = SaverPath();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "config", saver.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        StartWithConfigureSwitch(saver);
    }
    return 0;
}
