// skyloom-configure: opens Skyloom's configuration from a menu entry by
// running "skyloom /c": the skyloom installed beside this program, else the
// one on PATH. Arguments are ignored; the exit code is always 0.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace {

// The saver in this program's own folder; empty when there is none.
std::string SaverBesideThisProgram() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    path[length] = '\0';
    std::string saver(path);
    const auto slash = saver.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    saver.replace(slash + 1, std::string::npos, "skyloom");
    struct stat info;
    if (stat(saver.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(saver.c_str(), X_OK) != 0) {
        return {};
    }
    return saver;
}

}  // namespace

int main() {
    const std::string beside = SaverBesideThisProgram();
    char name[] = "skyloom";
    char configure[] = "/c";
    char* arguments[] = {name, configure, nullptr};
    pid_t saver = 0;
    // Not waited for: the configuration runs on its own, as from the desktop.
    const int error = beside.empty() ? posix_spawnp(&saver, name, nullptr, nullptr, arguments, environ)
                                     : posix_spawn(&saver, beside.c_str(), nullptr, nullptr, arguments, environ);
    if (error != 0) {
        std::fprintf(stderr, "skyloom-configure: cannot start %s: %s\n", beside.empty() ? name : beside.c_str(),
                     std::strerror(error));
    }
    return 0;
}
