// skyloom-weblink.exe: with "-homepage" anywhere on its command line (case
// matters), opens the maker's home page with the shell's default action for
// web addresses, the user's browser. Shows no window; the exit code is
// always 0, whatever the shell made of it.
#include "skyloom_site.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (std::strstr(commandLine, "-homepage") != nullptr) {
        ShellExecuteA(nullptr, "open", SKYLOOM_HOMEPAGE_URL, nullptr, nullptr, SW_SHOWNORMAL);
    }
    return 0;
}
