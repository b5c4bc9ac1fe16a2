#include "tests/support/xvfb_server.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

namespace skyloom::testing {

namespace {
int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

bool WaitForExit(pid_t pid, int milliseconds) {
    const int64_t deadline = NowMs() + milliseconds;
    do {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            return true;
        }
        usleep(10'000);
    } while (NowMs() < deadline);
    return false;
}
}  // namespace

XvfbServer::~XvfbServer() { Stop(); }

bool XvfbServer::Start(int depth, int width, int height, const std::vector<std::string>& extraArgs) {
    Stop();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    const std::string fdText = std::to_string(fds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    std::vector<std::string> args{"Xvfb", "-displayfd", fdText, "-nolisten", "tcp", "-noreset", "-screen", "0", screen};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        // The write end stays open across exec for the server's answer.
        fcntl(fds[1], F_SETFD, 0);
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(fds[1]);
    pid_ = pid;

    // The server writes its display number and a newline once it is ready.
    std::string number;
    const int64_t deadline = NowMs() + 20'000;
    bool complete = false;
    while (!complete && NowMs() < deadline) {
        pollfd fd{fds[0], POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) {
            continue;
        }
        char c;
        const ssize_t got = read(fds[0], &c, 1);
        if (got <= 0) {
            break;  // the server ended without answering
        }
        if (c == '\n') {
            complete = !number.empty();
        } else if (c >= '0' && c <= '9') {
            number += c;
        }
    }
    close(fds[0]);
    if (!complete) {
        Stop();
        return false;
    }
    name_ = ":" + number;
    return true;
}

void XvfbServer::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (!WaitForExit(pid_, 5000)) {
            kill(pid_, SIGKILL);
            WaitForExit(pid_, 5000);
        }
    }
    pid_ = -1;
    name_.clear();
}

}  // namespace skyloom::testing
