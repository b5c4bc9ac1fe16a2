#pragma once

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace skyloom::testing {

// The skyloom program of this build.
std::string SkyloomExecutable();

// Milliseconds on a monotonic clock.
int64_t MonotonicMs();

// A skyloom process started by a test (or, with StartProgram, another
// program beside it, such as a benchmark's yardstick). It inherits the
// test's isolated HOME and XDG folders; DISPLAY is the given one only,
// XSCREENSAVER_WINDOW only when passed in extraEnv. Its standard output and
// error go to a file in the scratch folder. Killed and reaped when the
// object goes.
class SaverProcess {
public:
    SaverProcess() = default;
    ~SaverProcess();
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    bool Start(const std::vector<std::string>& args, const std::string& display,
               const std::map<std::string, std::string>& extraEnv = {});
    // The same for the program at the given path.
    bool StartProgram(const std::string& program, const std::vector<std::string>& args, const std::string& display,
                      const std::map<std::string, std::string>& extraEnv = {});

    // The exit code once it has ended within the time; nullopt while it
    // runs. A process ended by a signal reports 128 + the signal.
    std::optional<int> WaitForExit(int milliseconds);
    bool Running();
    void Signal(int signal);
    pid_t Pid() const { return pid_; }
    // When it was started, MonotonicMs.
    int64_t StartedMs() const { return startedMs_; }
    // What it wrote to standard output and error so far.
    std::string Output() const;

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
    std::string outputPath_;
    int64_t startedMs_ = 0;
};

}  // namespace skyloom::testing
