#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bench/support/swap_watch.h"
#include "tests/support/saver_process.h"

namespace skyloom::bench {

// A program to run full screen on the benchmark's X server.
struct WatchedProgram {
    std::string name;     // for messages
    std::string path;     // empty: the skyloom of this build
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    // How SIGTERM ends it: skyloom exits with 0, a program without a
    // handler for it with 128 + SIGTERM.
    int endStatus = 0;
};

// The executable of that name on PATH; empty when there is none.
std::string FindOnPath(const std::string& name);

// Starts the program on the display with the watch counting afresh and
// waits for its first swapped frame; false, with the reason on stderr,
// when it did not start or showed no frame within 30 s.
bool StartAndAwaitFirstFrame(SwapWatch& watch, testing::SaverProcess& process, const std::string& display,
                             const WatchedProgram& program);

// Ends it with SIGTERM; false, with its output on stderr, when it did not
// end as the program does.
bool EndsOnSigterm(testing::SaverProcess& process, const WatchedProgram& program);

// When to measure: windowSeconds of wall time, settleSeconds after the
// program's first swapped frame.
struct WatchTimes {
    double settleSeconds = 0.0;
    double windowSeconds = 0.0;
};

// What the window held: its CPU time (user and system) and that of the X
// server when one was named, and the frames swapped in it (seen from
// outside, see SwapWatch).
struct WatchedSpan {
    double wallSeconds = 0.0;
    double programCpuSeconds = 0.0;
    double serverCpuSeconds = 0.0;
    int64_t frames = 0;
};

// Starts the program on the display, measures the window and ends it with
// SIGTERM. False, with the reason and the program's output on stderr, when
// it did not swap frames through the window or did not end. server: the X
// server's process, or -1 to leave it out.
bool WatchProgram(SwapWatch& watch, const std::string& display, pid_t server, const WatchedProgram& program,
                  const WatchTimes& times, WatchedSpan& out);

}  // namespace skyloom::bench
