#include "platform/x11/signal_pipe.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace skyloom {

namespace {
int pipeFds[2] = {-1, -1};

void OnTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already says the same; nothing else is safe to do here.
    [[maybe_unused]] const ssize_t written = write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}
}  // namespace

bool InstallTerminationSignalPipe() {
    if (pipeFds[0] >= 0) {
        return true;
    }
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool installed = true;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        installed = sigaction(signal, &action, nullptr) == 0 && installed;
    }
    return installed;
}

int TerminationSignalFd() { return pipeFds[0]; }

bool TakeTerminationSignal() {
    if (pipeFds[0] < 0) {
        return false;
    }
    bool arrived = false;
    char buffer[16];
    while (read(pipeFds[0], buffer, sizeof buffer) > 0) {
        arrived = true;
    }
    return arrived;
}

}  // namespace skyloom
