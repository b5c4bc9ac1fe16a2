#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace skyloom::testing {

// A virtual X server of the test's own on a free display number, chosen by
// the server itself (-displayfd). Ended when the object goes.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // One screen of width x height at the colour depth, with the extra
    // server options; returns once the server accepts connections. False
    // (nothing left running) when it could not be started within 20 seconds.
    bool Start(int depth, int width = 1024, int height = 768, const std::vector<std::string>& extraArgs = {});
    void Stop();

    // ":N" once started.
    const std::string& DisplayName() const { return name_; }
    // The server's process, -1 when none runs.
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace skyloom::testing
