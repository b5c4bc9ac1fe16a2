#include "saver/fatal_exit.h"

#include <cstdio>
#include <unistd.h>

namespace skyloom {

namespace {
constexpr int kMaxSteps = 8;
EmergencyTeardownStep steps[kMaxSteps];
int stepCount = 0;
}  // namespace

void AddEmergencyTeardown(EmergencyTeardownStep step) {
    for (int i = 0; i < stepCount; ++i) {
        if (steps[i] == step) {
            return;
        }
    }
    if (stepCount == kMaxSteps) {
        AssertFailure("DIE", "fatalexit", __LINE__);
    }
    steps[stepCount++] = step;
}

void RemoveEmergencyTeardown(EmergencyTeardownStep step) {
    for (int i = 0; i < stepCount; ++i) {
        if (steps[i] == step) {
            for (int j = i + 1; j < stepCount; ++j) {
                steps[j - 1] = steps[j];
            }
            --stepCount;
            return;
        }
    }
}

void RunEmergencyTeardown() {
    // Taken off the list before running, so a step that fails fatally
    // itself cannot run twice.
    while (stepCount > 0) {
        EmergencyTeardownStep step = steps[--stepCount];
        step();
    }
}

void FatalExit(int exitCode) {
    RunEmergencyTeardown();
    std::fflush(stdout);
    std::fflush(stderr);
    // No static destructors: other threads may still be running.
    _exit(exitCode);
}

void AssertFailure(const char* expression, const char* sourceName, int line) {
    if (expression != nullptr && sourceName != nullptr) {
        char text[1024];
        std::snprintf(text, sizeof text, "%s (%d) Assert: %s\n", sourceName, line, expression);
        std::fputs(text, stderr);
    }
    FatalExit(1);
}

}  // namespace skyloom
