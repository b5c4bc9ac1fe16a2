#include "tests/support/saver_process.h"

#include "tests/support/temp_config.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace skyloom::testing {

std::string SkyloomExecutable() { return SKYLOOM_EXECUTABLE; }

int64_t MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

SaverProcess::~SaverProcess() {
    if (pid_ > 0 && !exitCode_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool SaverProcess::Start(const std::vector<std::string>& args, const std::string& display,
                         const std::map<std::string, std::string>& extraEnv) {
    return StartProgram(SkyloomExecutable(), args, display, extraEnv);
}

bool SaverProcess::StartProgram(const std::string& program, const std::vector<std::string>& args,
                                const std::string& display, const std::map<std::string, std::string>& extraEnv) {
    static int serial = 0;
    outputPath_ = ScratchFolder() + "/saver-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + ".log";

    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (name != "DISPLAY" && name != "XSCREENSAVER_WINDOW" && extraEnv.count(name) == 0) {
            env.push_back(text);
        }
    }
    env.push_back("DISPLAY=" + display);
    for (const auto& [name, value] : extraEnv) {
        env.push_back(name + "=" + value);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    const int output = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (output < 0) {
        return false;
    }
    startedMs_ = MonotonicMs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(output);
    if (pid < 0) {
        return false;
    }
    pid_ = pid;
    exitCode_.reset();
    return true;
}

std::optional<int> SaverProcess::WaitForExit(int milliseconds) {
    if (exitCode_ || pid_ <= 0) {
        return exitCode_;
    }
    const int64_t deadline = MonotonicMs() + milliseconds;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (MonotonicMs() >= deadline) {
            return std::nullopt;
        }
        usleep(2'000);
    }
}

bool SaverProcess::Running() { return pid_ > 0 && !WaitForExit(0); }

void SaverProcess::Signal(int signal) {
    if (Running()) {
        kill(pid_, signal);
    }
}

std::string SaverProcess::Output() const { return ReadFileText(outputPath_); }

}  // namespace skyloom::testing
