#include "platform/x11/crash_signals.h"

#include "platform/x11/x_connection.h"
#include "saver/fatal_exit.h"

#include <csignal>
#include <unistd.h>

namespace skyloom {

namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kCrashSignalCount = sizeof kCrashSignals / sizeof kCrashSignals[0];
constexpr unsigned kTeardownSeconds = 2;

struct sigaction previousActions[kCrashSignalCount];
bool installed = false;

// A stack overflow faults with no stack left to run a handler on.
alignas(16) char alternateStack[256 * 1024];

void OnCrashSignal(int signal, siginfo_t* info, void*) {
    // SIGALRM's default action ends the process should a step hang (a
    // fault inside Xlib may leave its lock held).
    alarm(kTeardownSeconds);
    AbandonSaverDisplay();
    RunEmergencyTeardown();
    for (int i = 0; i < kCrashSignalCount; ++i) {
        if (kCrashSignals[i] == signal) {
            sigaction(signal, &previousActions[i], nullptr);
        }
    }
    // A signal that was sent is sent again, and arrives at the previous
    // action once this handler returns; a real fault simply recurs when
    // the faulting instruction runs again.
    if (info == nullptr || info->si_code <= 0) {
        raise(signal);
    }
}

void UseAlternateStackUnlessOneIsSet() {
    stack_t current = {};
    if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) {
        return;
    }
    stack_t stack = {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
}

}  // namespace

bool InstallCrashTeardown() {
    if (installed) {
        return true;
    }
    UseAlternateStackUnlessOneIsSet();
    struct sigaction action = {};
    action.sa_sigaction = OnCrashSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    bool all = true;
    for (int i = 0; i < kCrashSignalCount; ++i) {
        all = sigaction(kCrashSignals[i], &action, &previousActions[i]) == 0 && all;
    }
    installed = true;
    return all;
}

}  // namespace skyloom
