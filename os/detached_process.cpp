#include "os/detached_process.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace skyloom {

bool StartDetachedProcess(const char* path, const char* const argv[]) {
    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on: other threads may have
        // held locks at the fork.
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execv(path, const_cast<char* const*>(argv));
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace skyloom
