// A fault inside the saver process itself: the emergency teardown runs, and
// the process still dies of the fault rather than carrying on.

#include "platform/x11/crash_signals.h"
#include "saver/fatal_exit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace skyloom {
namespace {

int markerFd = -1;

void WriteMarker() {
    const char byte = 'T';
    [[maybe_unused]] const ssize_t written = write(markerFd, &byte, 1);
}

void HangForever() {
    for (;;) {
        pause();
    }
}

struct ChildEnd {
    bool teardownRan = false;
    int status = 0;
};

// Runs `fault` in a child with the crash teardown installed and `step`
// registered; reports whether the step ran and how the child ended.
ChildEnd RunFaultingChild(void (*step)(), void (*fault)()) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        markerFd = fds[1];
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (!InstallCrashTeardown()) {
            _exit(90);
        }
        AddEmergencyTeardown(WriteMarker);
        if (step != nullptr) {
            AddEmergencyTeardown(step);
        }
        fault();
        _exit(91);  // the fault did not end the process
    }
    close(fds[1]);
    ChildEnd end;
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    end.status = status;
    char byte = 0;
    pollfd readable{fds[0], POLLIN, 0};
    end.teardownRan = poll(&readable, 1, 0) == 1 && read(fds[0], &byte, 1) == 1 && byte == 'T';
    close(fds[0]);
    return end;
}

// A store the hardware refuses, which no sanitizer flags beforehand.
void WriteToReadOnlyPage() {
    void* page = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) {
        _exit(92);
    }
    *static_cast<volatile int*>(page) = 1;
}

void Abort() { std::abort(); }

bool DiedOf(int status, int signal) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's own handler reports the fault and exits.
    (void)signal;
    return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0 && WEXITSTATUS(status) < 90);
#else
    return WIFSIGNALED(status) && WTERMSIG(status) == signal;
#endif
}

TEST(CrashTeardown, RunsOnARealSegmentationFaultAndTheProcessStillDiesOfIt) {
    const ChildEnd end = RunFaultingChild(nullptr, WriteToReadOnlyPage);
    EXPECT_TRUE(end.teardownRan);
    EXPECT_TRUE(DiedOf(end.status, SIGSEGV)) << "status " << end.status;
}

TEST(CrashTeardown, RunsOnAbort) {
    const ChildEnd end = RunFaultingChild(nullptr, Abort);
    EXPECT_TRUE(end.teardownRan);
    EXPECT_TRUE(WIFSIGNALED(end.status) && WTERMSIG(end.status) == SIGABRT) << "status " << end.status;
}

TEST(CrashTeardown, AHangingStepCannotKeepTheProcessAlive) {
    // Steps run newest first: the hang comes before the marker is written.
    const ChildEnd end = RunFaultingChild(HangForever, Abort);
    EXPECT_FALSE(end.teardownRan);
    EXPECT_TRUE(WIFSIGNALED(end.status) && WTERMSIG(end.status) == SIGALRM) << "status " << end.status;
}

}  // namespace
}  // namespace skyloom
