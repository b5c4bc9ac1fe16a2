// skyloom-weblink: with "-homepage" anywhere on its command line (case
// matters), opens the maker's home page in the user's browser: through
// xdg-open, or the desktop's handler for web addresses where xdg-open is
// missing. Shows no window; the exit code is always 0.
#include "skyloom_site.h"

#include <gio/gio.h>

#include <spawn.h>
#include <string>

extern char** environ;

namespace {

void OpenHomePage() {
    char opener[] = "xdg-open";
    char address[] = SKYLOOM_HOMEPAGE_URL;
    char* arguments[] = {opener, address, nullptr};
    pid_t child = 0;
    // Not waited for: xdg-open may stay until the browser it started ends.
    if (posix_spawnp(&child, opener, nullptr, nullptr, arguments, environ) == 0) {
        return;
    }
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(address, nullptr, &error)) {
        // No browser: nothing to report, as from a desktop shortcut.
        g_error_free(error);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            commandLine += ' ';
        }
        commandLine += argv[i];
    }
    if (commandLine.find("-homepage") != std::string::npos) {
        OpenHomePage();
    }
    return 0;
}
