#include "bench/support/watched_program.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "bench/support/process_cpu.h"
#include "tests/support/saver_process.h"

namespace skyloom::bench {

using testing::MonotonicMs;
using testing::SaverProcess;

namespace {

constexpr int64_t kFirstFrameWaitMs = 30'000;

void SleepSeconds(double seconds) { usleep(static_cast<useconds_t>(seconds * 1e6)); }

}  // namespace

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return "";
}

bool StartAndAwaitFirstFrame(SwapWatch& watch, SaverProcess& process, const std::string& display,
                             const WatchedProgram& program) {
    watch.Reset();
    const bool started = program.path.empty()
                             ? process.Start(program.args, display, program.env)
                             : process.StartProgram(program.path, program.args, display, program.env);
    if (!started) {
        std::fprintf(stderr, "%s did not start\n", program.name.c_str());
        return false;
    }
    while (watch.FirstSwapMs() < 0 && process.Running() && MonotonicMs() - process.StartedMs() < kFirstFrameWaitMs) {
        usleep(1'000);
    }
    if (watch.FirstSwapMs() < 0) {
        std::fprintf(stderr, "no frame from %s:\n%s\n", program.name.c_str(), process.Output().c_str());
        return false;
    }
    return true;
}

bool EndsOnSigterm(SaverProcess& process, const WatchedProgram& program) {
    process.Signal(SIGTERM);
    if (process.WaitForExit(10'000) != program.endStatus) {
        std::fprintf(stderr, "%s did not end on SIGTERM:\n%s\n", program.name.c_str(), process.Output().c_str());
        return false;
    }
    return true;
}

bool WatchProgram(SwapWatch& watch, const std::string& display, pid_t server, const WatchedProgram& program,
                  const WatchTimes& times, WatchedSpan& out) {
    SaverProcess process;
    if (!StartAndAwaitFirstFrame(watch, process, display, program)) {
        return false;
    }
    SleepSeconds(times.settleSeconds);
    const double programStart = ProcessCpuSeconds(process.Pid());
    const double serverStart = server > 0 ? ProcessCpuSeconds(server) : 0.0;
    const int64_t framesStart = watch.Swaps();
    const int64_t start = MonotonicMs();
    SleepSeconds(times.windowSeconds);
    const double programEnd = ProcessCpuSeconds(process.Pid());
    const double serverEnd = server > 0 ? ProcessCpuSeconds(server) : 0.0;
    out.frames = watch.Swaps() - framesStart;
    out.wallSeconds = static_cast<double>(MonotonicMs() - start) / 1e3;
    const bool ran = process.Running() && programStart >= 0.0 && programEnd >= 0.0 && serverStart >= 0.0 &&
                     serverEnd >= 0.0 && out.frames > 0;
    if (!EndsOnSigterm(process, program)) {
        return false;
    }
    if (!ran) {
        std::fprintf(stderr, "%s did not swap frames through the window:\n%s\n", program.name.c_str(),
                     process.Output().c_str());
        return false;
    }
    out.programCpuSeconds = programEnd - programStart;
    out.serverCpuSeconds = serverEnd - serverStart;
    return true;
}

}  // namespace skyloom::bench
